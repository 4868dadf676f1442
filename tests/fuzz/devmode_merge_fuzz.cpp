// Fuzz target: arbitrary bytes as an incoming device-mode. The bytes are converted in the
// spooler's three modes, imported into a working copy, and merged into a context (with the
// built-in field table, a device-mode of this product and no model) through the sized
// entry, which must read nothing beyond the buffer and write nothing beyond the context's.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "stored/devmode_convert.h"
#include "fields/devmode_header.h"
#include "context/devmode_import.h"
#include "stored/devmode_merge.h"
#include "base/driver_context.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "fields/product_record.h"
#include "model/rule_eval.h"

namespace {

constexpr std::size_t kMaxInput = 1 << 16;

struct FuzzContext {
  DriverContext context{};
  ProductRecord product{};
  std::vector<BYTE> settings;

  FuzzContext() : settings(GetSettingsBufferSize()) {
    product = *GetProductRecord();
    context.product = &product;
    context.work = static_cast<WorkArea*>(AllocMem(sizeof(WorkArea)));
    context.settings = settings.data();
    CopyBuiltInFieldTable(context.fields);
    CreateEvalStack(&context);
    DEVMODEW* d = reinterpret_cast<DEVMODEW*>(settings.data());
    d->dmSpecVersion = product.specVersion;
    d->dmDriverVersion = product.driverVersion;
    d->dmSize = static_cast<WORD>(GetPublicDevmodeSize());
    d->dmDriverExtra = static_cast<WORD>(GetPrivateDevmodeSize());
    WritePrivateHeader(settings.data(), &product);
    WritePrivateIdentity(settings.data(), &product, true);
  }
  ~FuzzContext() {
    DestroyEvalStack(&context);
    FreeFieldTable(context.fields);
    FreeMem(context.work);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  // An exact-size heap copy, so that any read past the input is caught.
  std::vector<BYTE> input(data, data + size);
  const DWORD n = static_cast<DWORD>(size);

  if (IsIncomingDevmodeReadable(input.data(), n)) {
    const DEVMODEW* in = reinterpret_cast<const DEVMODEW*>(input.data());
    AreIncomingAreaOffsetsInside(in);
    for (DWORD mode : {CDM_CONVERT, CDM_CONVERT351, CDM_DRIVER_DEFAULT}) {
      std::vector<BYTE> out(GetTotalDevmodeSize());
      DEVMODEW* o = reinterpret_cast<DEVMODEW*>(out.data());
      o->dmSpecVersion = DM_SPECVERSION;
      o->dmSize = static_cast<WORD>(GetPublicDevmodeSize());
      o->dmDriverExtra = static_cast<WORD>(GetPrivateDevmodeSize());
      LONG outSize = static_cast<LONG>(out.size());
      ConvertDevmodeCore(u"Fuzz", in, o, &outSize, mode);
    }
    std::vector<BYTE> copy(GetTotalDevmodeSize());
    DEVMODEW* c = reinterpret_cast<DEVMODEW*>(copy.data());
    c->dmSpecVersion = DM_SPECVERSION;
    c->dmSize = static_cast<WORD>(GetPublicDevmodeSize());
    c->dmDriverExtra = static_cast<WORD>(GetPrivateDevmodeSize());
    ImportDevmode(in, c);
  }

  FuzzContext fc;
  MergeDevmodeFromBuffer(&fc.context, input.data(), n, MERGE_IN_BUFFER | MERGE_DOCUMENT_ROAD);
  return 0;
}
