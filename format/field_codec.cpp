#include "field_codec.h"

#include "rules.h"

namespace zefr::format {

void StoreRaw(PayloadImage& image, std::size_t record, const FieldRow& row, std::uint32_t stored) {
  const std::size_t at = record + row.offset;
  switch (row.store) {
    case Store::kHeader: break;
    case Store::kByte: image.Put8(at, static_cast<std::uint8_t>(stored)); break;
    case Store::kWord: image.Put16(at, static_cast<std::uint16_t>(stored)); break;
    case Store::kLong: image.Put32(at, stored); break;
    case Store::kBits8: image.SetBits8(at, row.bits, stored); break;
    case Store::kBits16: image.SetBits16(at, row.bits, stored); break;
    case Store::kBits32: image.SetBits32(at, row.bits, stored); break;
  }
}

void StoreField(PayloadImage& image, std::size_t record, const FieldRow& row, std::int32_t value) {
  StoreRaw(image, record, row, StoredValue(row, value));
}

std::uint32_t LoadRaw(const PayloadImage& image, std::size_t record, const FieldRow& row) {
  const std::size_t at = record + row.offset;
  switch (row.store) {
    case Store::kHeader: return payload::record::kEnabled.Get(image.Get16(record));
    case Store::kByte: return image.Get8(at);
    case Store::kWord: return image.Get16(at);
    case Store::kLong: return image.Get32(at);
    case Store::kBits8: return row.bits.Get(image.Get8(at));
    case Store::kBits16: return row.bits.Get(image.Get16(at));
    case Store::kBits32: return row.bits.Get(image.Get32(at));
  }
  return 0;
}

std::int32_t LoadField(const PayloadImage& image, std::size_t record, const FieldRow& row) {
  const std::uint32_t raw = LoadRaw(image, record, row);
  if (row.noneAllowed && raw == row.noneStored) return -1;
  if (row.store == Store::kLong) return static_cast<std::int32_t>(raw);
  return static_cast<std::int32_t>(raw) - row.bias;
}

}  // namespace zefr::format
