#pragma once
// A row's value in a payload record: written as the compiler stores it, read
// back as the compiler read it (NONE as -1, list keys as their position).

#include <cstddef>
#include <cstdint>

#include "field_table.h"
#include "payload_image.h"

namespace zefr::format {

// record: offset of the entity's record in the image. Not for kHeader rows.
void StoreField(PayloadImage& image, std::size_t record, const FieldRow& row, std::int32_t value);
void StoreRaw(PayloadImage& image, std::size_t record, const FieldRow& row, std::uint32_t stored);

// What the record holds for the row, as stored.
std::uint32_t LoadRaw(const PayloadImage& image, std::size_t record, const FieldRow& row);
// The value the stored form gives back: NONE as -1, others less the bias,
// 32-bit fields sign-extended.
std::int32_t LoadField(const PayloadImage& image, std::size_t record, const FieldRow& row);

}  // namespace zefr::format
