// The binary interface of the configuration-server connector ("Srvbidi.dll", or
// "Srvconn.dll" in builds without build feature 7): its 15 exports, all stdcall, each
// answering 0 for success unless said otherwise.
#pragma once

#include "win/kernel.h"
#include "win/types.h"

// The server type in the low byte: 17 or 18 connect, 19 is like 17 without connecting, any
// other means no server. The name buffer takes nameBytes bytes (the server's printer name in
// UTF-16), the answer buffer answerBytes bytes.
using RMGetServerTypeProc = DWORD(WINAPI*)(const WCHAR* printer, DWORD nameBytes, DWORD answerBytes, WCHAR* name,
                                           BYTE* answer);
using RMSaveInformationClearProc = DWORD(WINAPI*)(const WCHAR* printer, DWORD type);
using RMPrintConfigConnectProc = DWORD(WINAPI*)(DWORD type, DWORD* connection, BYTE* block);
using RMPrintConfigConnectExProc = DWORD(WINAPI*)(DWORD type, DWORD* connection, BYTE* block, BYTE* answer,
                                                  DWORD* out);
using RMPrintConfigDisConnectProc = DWORD(WINAPI*)(DWORD connection, BYTE* block, DWORD type);
using RMClientOSTypeProc = DWORD(WINAPI*)(DWORD connection, DWORD type, OSVERSIONINFOW* version);
// The server printer's name is passed only for a source that begins with "%Driver%".
using RMRegFileGetSizeProc = DWORD(WINAPI*)(DWORD connection, DWORD type, const char* source, DWORD one,
                                            const char* serverPrinter, DWORD* size);
using RMRegFileGetDataProc = DWORD(WINAPI*)(DWORD connection, DWORD type, const char* source, DWORD size,
                                            BYTE* buffer);
using RMGetDataFileProc = DWORD(WINAPI*)(DWORD connection, DWORD type, const char* source, const char* destination,
                                         DWORD zero1, DWORD zero2, DWORD size);
using RMGetPrinterDataSizeProc = DWORD(WINAPI*)(DWORD connection, DWORD type, const char* serverPrinter,
                                                const char* key, const char* valueName, DWORD* size);
using RMGetPrinterDataProc = DWORD(WINAPI*)(DWORD connection, DWORD type, const char* serverPrinter, const char* key,
                                            const char* valueName, DWORD size, BYTE* buffer);
using RMDevmodeSizeProc = DWORD(WINAPI*)(DWORD connection, DWORD type, const char* serverPrinter, DWORD* size);
using RMDevmodeProc = DWORD(WINAPI*)(DWORD connection, DWORD type, const char* serverPrinter, DWORD size,
                                     BYTE* buffer);
using RMSetDevmodeProc = DWORD(WINAPI*)(DWORD type, const WCHAR* printer, const WCHAR* interfaceLibrary,
                                        const char* exportName, DWORD zero1, DWORD zero2);
using RMSaveDevmodeClearProc = DWORD(WINAPI*)(const WCHAR* printer, DWORD type);

// Export names, in the order of the session's export table.
constexpr const char* kConnectorExports[15] = {
    "RMRegFileGetSize",    "RMRegFileGetData",      "RMGetPrinterData",        "RMGetPrinterDataSize",
    "RMDevmode",           "RMDevmodeSize",         "RMSetDevmode",            "RMSaveDevmodeClear",
    "RMGetDataFile",       "RMPrintConfigDisConnect", "RMPrintConfigConnect", "RMPrintConfigConnectEx",
    "RMSaveInformationClear", "RMClientOSType",     "RMGetServerType"};
// Indexes of the exports the basic binding does without.
constexpr int kConnectorSetDevmode = 6;
constexpr int kConnectorSaveDevmodeClear = 7;
constexpr int kConnectorConnectEx = 11;

constexpr char16_t kConnectorLibrary[] = u"Srvbidi.dll";
constexpr char16_t kConnectorLibraryBasic[] = u"Srvconn.dll";
constexpr char16_t kConnectorSwitchKey[] = u"Software\\VANTE\\Halden Print Core";
constexpr char16_t kConnectorSwitch[] = u"RMBIDI_FLG";
constexpr char16_t kConnectorSwitchBasic[] = u"ZEVIVE_FLG";

// Server types.
constexpr BYTE kServerTypeFetch = 17;
constexpr BYTE kServerTypeDevmode = 18;
constexpr BYTE kServerTypeNoConnect = 19;
constexpr DWORD kServerNameBytes = 520;
constexpr DWORD kServerAnswerBytes = 512;
