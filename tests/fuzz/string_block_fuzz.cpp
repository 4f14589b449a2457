// String-table blocks as the resource section holds them, read entry by
// entry, with the language choices that go with them: which table a user
// reads and which catalogue text a result code shows.
//
// Input layout (little-endian):
//   2 bytes  user LANGID
//   4 bytes  result code for the message box
//   4 bytes  string id (its block number and index)
//   1 byte   entry index to read (16 and above are outside a block)
//   1 byte   low bit: the block starts one byte off alignment
//   rest     the block's bytes, of any size, odd ones included

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "text/catalogue.h"
#include "text/string_block.h"

namespace quillane::fuzz {
namespace {

// Entry `index` read by the block's rule: sixteen entries, each a 16-bit
// length and that many units; the text ends at a NUL inside it; an entry
// that runs past the block, or an index outside it, gives nothing.
std::u16string ExpectedEntry(const std::string& block, uint32_t index) {
  if (index >= 16) return {};
  std::vector<uint16_t> units(block.size() / 2);
  for (size_t at = 0; at < units.size(); ++at) {
    units[at] = static_cast<uint16_t>(static_cast<uint8_t>(block[2 * at]) |
                                      static_cast<uint8_t>(block[2 * at + 1]) << 8);
  }
  size_t at = 0;
  for (uint32_t entry = 0;; ++entry) {
    if (at >= units.size()) return {};
    const size_t length = units[at++];
    if (at + length > units.size()) return {};
    if (entry == index) {
      std::u16string text;
      for (size_t unit = at; unit < at + length && units[unit] != 0; ++unit) {
        text.push_back(static_cast<char16_t>(units[unit]));
      }
      return text;
    }
    at += length;
  }
}

// The catalogue as the user sees it: language by the whole LANGID, and the
// length of each text in its language.
struct CatalogueRow {
  int32_t code;
  size_t lengths[4];  // English, Japanese, Simplified and Traditional Chinese
};
constexpr CatalogueRow kCatalogue[] = {
    {101, {34, 19, 9, 10}},
    {102, {63, 40, 17, 17}},
    {104, {36, 15, 9, 11}},
    {1001, {20, 14, 5, 5}},
};

CatalogueLanguage ExpectedLanguage(uint16_t language) {
  switch (language) {
    case 1041:
      return CatalogueLanguage::Japanese;
    case 1028:
      return CatalogueLanguage::TraditionalChinese;
    case 2052:
      return CatalogueLanguage::SimplifiedChinese;
    default:
      return CatalogueLanguage::English;
  }
}

void CheckCatalogue(uint16_t language, int32_t code) {
  const CatalogueLanguage chosen = ChooseCatalogueLanguage(language);
  FUZZ_CHECK(chosen == ExpectedLanguage(language), "catalogue language by the whole LANGID");
  const MessageCatalogue catalogue = InitMessageCatalogue(language);
  const WideString message = GetResultMessage(catalogue, code);
  const CatalogueRow* row = nullptr;
  for (const CatalogueRow& candidate : kCatalogue) {
    if (candidate.code == code) row = &candidate;
  }
  const Unit* text = CatalogueText(code, chosen);
  if (!row) {
    FUZZ_CHECK(text == nullptr, "no catalogue text for a code outside the catalogue");
    CheckHolds(message, u"", "an empty message for a code outside the catalogue");
    return;
  }
  FUZZ_CHECK(text != nullptr, "every catalogue code has a text");
  const size_t length = row->lengths[static_cast<int>(chosen)];
  FUZZ_CHECK(TextLengthBounded(text, length + 1) == length, "the text's stated length");
  CheckHolds(message, std::u16string(text, length), "the message is the chosen language's text");
}

}  // namespace
}  // namespace quillane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillane;
  using namespace quillane::fuzz;
  FuzzInput input(data, size);
  const uint16_t language = input.U16();
  const int32_t code = static_cast<int32_t>(input.U32());
  const uint32_t id = input.U32();
  const uint32_t index = input.Byte();
  const size_t offset = input.Byte() & 1;
  const std::string block = input.Bytes(input.Left());

  const uint16_t table = StringTableLanguage(language);
  FUZZ_CHECK(table == (language == 1041 ? 1041 : 1033), "Japanese table for 1041 only");
  const uint32_t number = StringBlockNumber(id);
  const uint32_t place = StringBlockIndex(id);
  FUZZ_CHECK(place < 16 && (number - 1) * 16 + place == id, "block N holds ids (N-1)*16..N*16-1");

  // The block lies at the end of its allocation, unaligned when asked: any
  // read past it is caught.
  auto storage = std::make_unique<unsigned char[]>(offset + block.size());
  std::memcpy(storage.get() + offset, block.data(), block.size());
  const WideString entry = ReadStringBlockEntry(storage.get() + offset, block.size(), index);
  const std::u16string expected = ExpectedEntry(block, index);
  CheckHolds(entry, expected, "the entry's units up to a NUL inside it");
  FUZZ_CHECK(entry.Length() <= block.size() / 2, "an entry is never longer than its block");
  FUZZ_CHECK(TextLength(entry.CStr()) == entry.Length(), "an entry holds no NUL");
  CheckHolds(ReadStringBlockEntry(nullptr, block.size(), index), u"", "no block, no text");

  CheckCatalogue(language, code);
  return 0;
}
