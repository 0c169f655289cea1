// The record between copies on any bytes: a record that decodes encodes
// again, and decodes to the same record.
#include "platform/RCopyRecord.h"

#include <QByteArray>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<RCopyRecord> record = RCopyRecord::decode(bytes);
    if (!record)
        return 0;
    const std::optional<QByteArray> again = record->encode();
    if (!again || again->size() != RCopyRecord::kSize)
        __builtin_trap(); // what was received can always be sent on
    const std::optional<RCopyRecord> back = RCopyRecord::decode(*again);
    if (!back || back->kind != record->kind || back->count != record->count ||
        back->codes != record->codes || back->texts != record->texts)
        __builtin_trap();
    return 0;
}
