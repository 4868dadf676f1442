// The job-control items and the settings fields that carry them.
#pragma once

#include "win/types.h"

// Item mask bits.
constexpr DWORD JCI_USER_CODE = 0x1;
constexpr DWORD JCI_OWNER_NAME = 0x2;
constexpr DWORD JCI_JOB_PASSWORD = 0x4;
constexpr DWORD JCI_USER_ID = 0x8;
constexpr DWORD JCI_DOCUMENT_NAME = 0x10;
constexpr DWORD JCI_TEL_NO = 0x20;
constexpr DWORD JCI_TEL_LINE = 0x40;
constexpr DWORD JCI_STORED_PASSWORD = 0x80;
constexpr DWORD JCI_AUTH_USER_NAME = 0x800;
constexpr DWORD JCI_AUTH_PASSWORD = 0x1000;
constexpr DWORD JCI_AUTH_NETWORK_KEY = 0x2000;
// Bits 0x100-0x400 name items without a setting.

// Field id of the item of one mask bit, or 0 (several bits, or an item without a setting).
WORD GetJobItemFieldByBit(DWORD bit);
// Field id of job-control item n (1-11: the eight job items in bit order, then the three
// authentication items), or 0 for any other n.
WORD GetJobItemFieldByNumber(int n);

struct DriverContext;

// Result of ClearJobControlItem for an item number it does not know.
constexpr DWORD JCI_UNKNOWN_ITEM = 0x20000001;

// Empties the setting of job-control item n (1-8 the job items, 9-11 the authentication
// items, these only when feature kind 0 is supported): a text becomes empty, kdmTelLine 0.
// 0, or JCI_UNKNOWN_ITEM for any other n.
DWORD ClearJobControlItem(DriverContext* context, int n);
// GetPrinterInfoForJobControl: the spooler record reader of context/spooler_info.h.
#include "base/spooler_info.h"
