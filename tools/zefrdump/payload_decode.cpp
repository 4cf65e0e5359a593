#include "decoded_payload.h"

#include <algorithm>
#include <cstdio>

#include "field_codec.h"
#include "field_table.h"
#include "payload_layout.h"

namespace zefrdump {
namespace {

namespace L = zefr::payload;
namespace F = zefr::format;

// The key of a field of a kind, as the tables name it.
const char* KeyOf(const F::KindTable& table, int field) { return table.fields[size_t(field)].key; }

uint16_t U16(const uint8_t* r, size_t off) { return uint16_t(r[off] | (r[off + 1] << 8)); }
uint32_t U32(const uint8_t* r, size_t off) {
  return uint32_t(r[off]) | uint32_t(r[off + 1]) << 8 | uint32_t(r[off + 2]) << 16 |
         uint32_t(r[off + 3]) << 24;
}

bool AllZero(const uint8_t* r, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i)
    if (r[i] != 0) return false;
  return true;
}

std::string Printf(const char* fmt, auto... args) {
  char buf[256];
  std::snprintf(buf, sizeof buf, fmt, args...);
  return buf;
}

// One record of the image, with the names it is reported under.
struct Record {
  const uint8_t* bytes;
  size_t offset;
  std::string section;
};

Record At(std::span<const uint8_t> image, const L::KindLayout& k, int number) {
  size_t off = L::RecordOffset(k, number);
  return {image.data() + off, off, k.section + std::to_string(number)};
}

// Checks that the header belongs to the slot and reads the enabled flag.
bool ReadHeader(const Record& r, const F::KindTable& table, int number, bool* enabled,
                std::vector<Finding>* findings, std::string* err) {
  const L::KindLayout& k = table.layout;
  uint16_t word = U16(r.bytes, L::record::kHeader);
  unsigned kind = L::record::kKind.Get(word), index = L::record::kIndex.Get(word),
           length = L::record::kLength.Get(word);
  if (kind != unsigned(k.kind) || index != unsigned(number - 1) || length != k.recordLength) {
    *err = Printf(
        "Record header 0x%04X at offset %zu does not belong to %s (kind %u, index %u, length %u;"
        " expected kind %u, index %d, length %zu)",
        word, r.offset, r.section.c_str(), kind, index, length, unsigned(k.kind), number - 1,
        k.recordLength);
    return false;
  }
  *enabled = L::record::kEnabled.Get(word) != 0;
  if (!*enabled && !AllZero(r.bytes, L::record::kUsage, k.recordLength))
    findings->push_back(
        {r.section, KeyOf(table, 0), "Disabled Record Holds Non-Zero Bytes, Lost on Recompile"});
  return true;
}

// Every value a list field can hold is a position in its list, so no stored
// position can fall outside it.
static_assert(F::kSignalFrequencies.size() == 1u << L::fan_controller::kSignalFrequency.width);
static_assert(F::kSpinUpTimes.size() == 1u << L::fan_controller::kSpinUpTime.width);

bool GateClosed(const Record& r, const F::KindTable& table, int gate, const zefr::PayloadImage& image) {
  const F::FieldRow& row = table.fields[size_t(gate)];
  return F::LoadRaw(image, r.offset, row) == row.noneStored;
}

// A reference must name an entity of its kind or hold the row's NONE code.
// A NONE in fan slot 1 is a value the compiler refuses, which the checks
// report; it does not make the bytes unreadable.
bool ReadReferences(const Record& r, const F::KindTable& table, const zefr::PayloadImage& image,
                    std::string* err) {
  for (const F::FieldRow& row : table.fields) {
    if (row.references == L::Kind::kPayloadHeader) continue;
    if (row.gate != F::kNoField && GateClosed(r, table, row.gate, image)) continue;
    const uint32_t raw = F::LoadRaw(image, r.offset, row);
    const int count = F::TableOf(row.references)->layout.count;
    if (raw < unsigned(count) || raw == row.noneStored) continue;
    *err = Printf("Section \"%s\", Parameter \"%s\" refers to number %u, beyond the %d there are",
                  r.section.c_str(), row.key, raw + 1, count);
    return false;
  }
  return true;
}

// What a recompile drops, told as the kind's users know its fields.
struct LossTexts {
  const char* gatedOff;      // keys behind a NONE not holding what the compiler stores
  const char* reservedBits;  // bits of a packed word that no key reads
};

LossTexts LossTextsOf(L::Kind kind) {
  switch (kind) {
    case L::Kind::kTemperatureMonitor: return {"Not 0xFF Without a Device, Lost on Recompile", nullptr};
    case L::Kind::kTemperatureResponse:
      return {"Ambient Fields Not 0 Without a Monitor, Lost on Recompile",
              "Reserved Link Word Bits Set, Lost on Recompile"};
    case L::Kind::kFanController:
      return {"Fan Slot Not 0 Without a Monitor, Lost on Recompile",
              "Reserved Control Word Bits Set, Lost on Recompile"};
    default: return {nullptr, nullptr};
  }
}

// Behind a NONE the compiler stores the key's stand-in, or 0. A lone key is
// named itself, a block by the key that closes it.
void CheckGatedOff(const Record& r, const F::KindTable& table, const zefr::PayloadImage& image,
                   const char* message, std::vector<Finding>* findings) {
  for (size_t g = 0; g < table.fields.size(); ++g) {
    if (!GateClosed(r, table, int(g), image)) continue;
    int gated = 0, lost = -1;
    for (size_t i = g + 1; i < table.fields.size(); ++i) {
      const F::FieldRow& row = table.fields[i];
      if (row.gate != int(g)) continue;
      ++gated;
      const uint32_t off = row.gatedOffStored >= 0 ? uint32_t(row.gatedOffStored) : 0;
      if (lost < 0 && F::LoadRaw(image, r.offset, row) != off) lost = int(i);
    }
    if (lost >= 0)
      findings->push_back({r.section, KeyOf(table, gated == 1 ? lost : int(g)), message});
  }
}

bool PackedWord(F::Store store) { return store == F::Store::kBits16 || store == F::Store::kBits32; }

// Bits of a packed word outside every key's field.
void CheckReservedBits(const Record& r, const F::KindTable& table, const char* message,
                       std::vector<Finding>* findings) {
  for (size_t i = 0; i < table.fields.size(); ++i) {
    const F::FieldRow& first = table.fields[i];
    if (!PackedWord(first.store)) continue;
    uint32_t used = 0;
    bool seen = false;
    for (size_t j = 0; j < table.fields.size(); ++j) {
      const F::FieldRow& row = table.fields[j];
      if (row.store != first.store || row.offset != first.offset) continue;
      seen = seen || j < i;
      used |= row.bits.Mask();
    }
    if (seen) continue;  // told at the word's first key
    const uint32_t word = first.store == F::Store::kBits16 ? U16(r.bytes, first.offset) : U32(r.bytes, first.offset);
    if ((word & ~used) != 0) findings->push_back({r.section, "", message});
  }
}

// Reads an enabled record: fails on a reference beyond its kind, tells of
// bytes a recompile would not give back.
bool ReadRecord(const Record& r, const F::KindTable& table, const zefr::PayloadImage& image,
                std::vector<Finding>* findings, std::string* err) {
  if (!ReadReferences(r, table, image, err)) return false;
  const LossTexts texts = LossTextsOf(table.layout.kind);
  if (texts.gatedOff) CheckGatedOff(r, table, image, texts.gatedOff, findings);
  if (texts.reservedBits) CheckReservedBits(r, table, texts.reservedBits, findings);
  return true;
}

}  // namespace

bool DecodePayload(std::span<const uint8_t> image, DecodedPayload* out,
                   std::vector<Finding>* findings, std::string* err) {
  if (image.size() != L::kImageSize) {
    *err = Printf("Payload holds %zu bytes, expected %zu", image.size(), L::kImageSize);
    return false;
  }
  const uint8_t* p = image.data();
  uint32_t signature = U32(p, L::header::kSignature);
  if (signature != L::kSignature) {
    *err = Printf("Wrong signature 0x%08X, expected 0x%08X", signature, L::kSignature);
    return false;
  }
  if (p[L::header::kVersion] != L::kVersion) {
    *err = Printf("Wrong version %u, expected %u", p[L::header::kVersion], L::kVersion);
    return false;
  }
  uint16_t total = U16(p, L::header::kTotalLength);
  if (total != L::kImageSize) {
    *err = Printf("Wrong total length %u, expected %zu", total, L::kImageSize);
    return false;
  }
  if (p[L::header::kReserved] != 0)
    findings->push_back({"", "", "Reserved Header Byte Not 0, Lost on Recompile"});

  DecodedPayload d;
  std::copy(image.begin(), image.end(), d.image.bytes.begin());
  for (const F::KindTable* table : F::AllTables()) {
    for (int n = 1; n <= table->layout.count; ++n) {
      const Record r = At(image, table->layout, n);
      bool enabled = false;
      if (!ReadHeader(r, *table, n, &enabled, findings, err)) return false;
      if (enabled && !ReadRecord(r, *table, d.image, findings, err)) return false;
    }
  }
  *out = d;
  return true;
}

std::string FormatFinding(const Finding& f) {
  std::string line = "  WARNING: ";
  if (!f.section.empty()) {
    line += "Section \"" + f.section + "\"";
    if (!f.key.empty()) line += ", Parameter \"" + f.key + "\"";
    line += " - ";
  }
  return line + f.message + "!";
}

}  // namespace zefrdump
