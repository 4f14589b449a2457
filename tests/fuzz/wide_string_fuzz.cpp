// The text types under any sequence of operations: three wide strings that
// append to, assign from, copy and move each other (and themselves, parts of
// themselves included), searched and compared, each shadowed by a standard
// string; and path buffers of three capacities, appended to and written by a
// stand-in for the platform, each shadowed by a copy of all its units.
//
// Input: a sequence of operations until the bytes run out. Each is one
// opcode byte, two bytes naming the strings it works on, then its operands
// (counts, positions, units) as the operation below reads them.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/path_buffer.h"
#include "base/wide_string.h"
#include "fuzz_input.h"

namespace quillane::fuzz {
namespace {

constexpr size_t kTexts = 3;
// Self-appends double a text; beyond this the operation is skipped.
constexpr size_t kMaxUnits = 1 << 15;
constexpr size_t npos = std::u16string::npos;

// Units in an allocation of their own that ends right after them (and after
// a terminator, when asked), so that a read past them is caught.
struct ExactUnits {
  ExactUnits(const std::u16string& units, bool terminated)
      : data(std::make_unique<Unit[]>(units.size() + (terminated ? 1 : 0))) {
    std::copy(units.begin(), units.end(), data.get());
    if (terminated) data[units.size()] = 0;
  }
  std::unique_ptr<Unit[]> data;
};

std::u16string UpToNul(const std::u16string& units) { return units.substr(0, units.find(u'\0')); }

// A position within a text of `length` units from two input bytes; now and
// then one past the end or far beyond it.
size_t Position(FuzzInput& input, size_t length) {
  const uint16_t raw = input.U16();
  if (raw >= 0xFFF0) return static_cast<size_t>(-1) - (0xFFFF - raw);
  return raw % (length + 2);
}

template <size_t Capacity>
struct ShadowedPath {
  PathBuffer<Capacity> buffer;
  std::vector<Unit> units = std::vector<Unit>(Capacity, 0);
  size_t length = 0;

  void Append(const std::u16string& text, bool appended) {
    const bool fits = length + text.size() <= Capacity - 1;
    FUZZ_CHECK(appended == fits, "a path buffer takes a text exactly when it fits");
    if (!fits) return;
    std::copy(text.begin(), text.end(), units.begin() + length);
    length += text.size();
    units[length] = 0;
  }

  void Apply(FuzzInput& input, const WideString& source) {
    switch (input.Byte() % 4) {
      case 0: {
        const std::u16string text = input.Units(input.U16() % (Capacity + 2));
        ExactUnits exact(text, false);
        Append(text, buffer.Append(exact.data.get(), text.size()));
        break;
      }
      case 1: {
        const std::u16string text = input.Units(input.Byte());
        ExactUnits exact(text, true);
        Append(UpToNul(text), buffer.Append(exact.data.get()));
        break;
      }
      case 2:
        Append(Text(source), buffer.Append(source));
        break;
      case 3: {
        // The platform writes into the buffer, possibly over its whole
        // length and without a terminator; the buffer then takes the text.
        const size_t offset = input.U16() % Capacity;
        const std::u16string written = input.Units(Capacity - offset);
        std::copy(written.begin(), written.end(), buffer.Data() + offset);
        std::copy(written.begin(), written.end(), units.begin() + offset);
        buffer.AdoptWrittenText();
        units[Capacity - 1] = 0;
        length =
            static_cast<size_t>(std::find(units.begin(), units.end(), Unit{0}) - units.begin());
        break;
      }
    }
  }

  void Check() const {
    FUZZ_CHECK(buffer.Length() == length, "a path buffer's length");
    FUZZ_CHECK(buffer.Length() < Capacity, "a path buffer's text leaves room for its terminator");
    FUZZ_CHECK(buffer.CStr()[buffer.Length()] == 0, "a path buffer's text is terminated");
    FUZZ_CHECK(std::equal(units.begin(), units.end(), buffer.CStr()),
               "a path buffer holds its text and zeros or what was written after it");
  }
};

struct State {
  WideString texts[kTexts];
  std::u16string models[kTexts];
  ShadowedPath<kPathUnits> path;
  ShadowedPath<5> shortPath;
  ShadowedPath<1> emptyPath;

  void Check() const {
    for (size_t index = 0; index < kTexts; ++index) {
      CheckHolds(texts[index], models[index], "a wide string holds its text");
    }
    path.Check();
    shortPath.Check();
    emptyPath.Check();
  }
};

void CheckAppended(bool appended) { FUZZ_CHECK(appended, "appending within memory succeeds"); }

void CheckFind(const WideString& text, const std::u16string& model, const std::u16string& needle,
               size_t from) {
  // The member takes a terminated needle, so a NUL ends it.
  ExactUnits terminated(needle, true);
  const size_t expected = model.find(UpToNul(needle), from);
  const size_t found = text.Find(terminated.data.get(), from);
  FUZZ_CHECK(found == (expected == npos ? WideString::npos : expected),
             "the first occurrence at or after the position");
  if (from == 0) {
    FUZZ_CHECK(text.Contains(terminated.data.get()) == (expected != npos), "contains");
  }
  // The counted search takes NUL units as they are.
  ExactUnits counted(needle, false);
  const size_t countedExpected = model.find(needle, from);
  FUZZ_CHECK(FindText(text.CStr(), text.Length(), counted.data.get(), needle.size(), from) ==
                 (countedExpected == npos ? WideString::npos : countedExpected),
             "the first occurrence of a counted needle");
}

void Apply(State& state, FuzzInput& input) {
  const uint8_t operation = input.Byte();
  const size_t a = input.Byte() % kTexts;
  const size_t b = input.Byte() % kTexts;
  WideString& text = state.texts[a];
  std::u16string& model = state.models[a];
  switch (operation % 16) {
    case 0: {  // counted units from outside, NUL units included
      const std::u16string units = input.Units(input.Byte());
      if (model.size() + units.size() > kMaxUnits) break;
      ExactUnits exact(units, false);
      CheckAppended(text.Append(exact.data.get(), units.size()));
      model += units;
      break;
    }
    case 1: {  // a terminated text
      const std::u16string units = input.Units(input.Byte());
      if (model.size() + units.size() > kMaxUnits) break;
      ExactUnits exact(units, true);
      CheckAppended(text.Append(exact.data.get()));
      model += UpToNul(units);
      break;
    }
    case 2: {  // another string, or itself
      if (model.size() + state.models[b].size() > kMaxUnits) break;
      CheckAppended(text.Append(state.texts[b]));
      model += state.models[b];
      break;
    }
    case 3: {  // a part of itself, which may move while it grows
      const size_t from = input.U16() % (model.size() + 1);
      const size_t count = input.U16() % (model.size() - from + 1);
      if (model.size() + count > kMaxUnits) break;
      const std::u16string part = model.substr(from, count);
      CheckAppended(text.Append(text.CStr() + from, count));
      model += part;
      break;
    }
    case 4: {
      if (model.size() + 1 > kMaxUnits) break;
      const Unit unit = static_cast<Unit>(input.U16());
      CheckAppended(text.Append(unit));
      model += unit;
      break;
    }
    case 5: {  // counted units from outside
      const std::u16string units = input.Units(input.Byte());
      ExactUnits exact(units, false);
      CheckAppended(text.Assign(exact.data.get(), units.size()));
      model = units;
      break;
    }
    case 6: {  // a part of itself, counted or up to its terminator
      const size_t from = input.U16() % (model.size() + 1);
      if (input.Byte() & 1) {
        const size_t count = input.U16() % (model.size() - from + 1);
        const std::u16string part = model.substr(from, count);
        CheckAppended(text.Assign(text.CStr() + from, count));
        model = part;
      } else {
        const std::u16string tail = UpToNul(model.substr(from));
        CheckAppended(text.Assign(text.CStr() + from));
        model = tail;
      }
      break;
    }
    case 7:
      text.Clear();
      model.clear();
      break;
    case 8:  // copy, itself included
      text = state.texts[b];
      model = state.models[b];
      break;
    case 9:  // move, itself included; a moved-from string is empty
      text = std::move(state.texts[b]);
      if (a != b) {
        model = state.models[b];
        state.models[b].clear();
      }
      break;
    case 10: {  // the constructors
      WideString copy(state.texts[b]);
      CheckHolds(copy, state.models[b], "a copy holds the text");
      WideString moved(std::move(copy));
      CheckHolds(moved, state.models[b], "a moved string holds the text");
      CheckHolds(copy, u"", "a moved-from string is empty");
      const std::u16string units = input.Units(input.Byte());
      ExactUnits counted(units, false);
      CheckHolds(WideString(counted.data.get(), units.size()), units, "built from counted units");
      ExactUnits terminated(units, true);
      CheckHolds(WideString(terminated.data.get()), UpToNul(units), "built from a terminated text");
      break;
    }
    case 11: {  // a needle from outside
      const std::u16string needle = input.Units(input.Byte() % 6);
      CheckFind(text, model, needle, Position(input, model.size()));
      break;
    }
    case 12: {  // a needle taken from one of the strings
      const std::u16string& source = state.models[b];
      const size_t from = input.U16() % (source.size() + 1);
      const std::u16string needle = source.substr(from, input.Byte() % 6);
      CheckFind(text, model, needle, Position(input, model.size()));
      break;
    }
    case 13: {  // comparisons
      FUZZ_CHECK((text == state.texts[b]) == (model == state.models[b]), "equal strings");
      const std::u16string units = input.Units(input.Byte() % 8);
      ExactUnits counted(units, false);
      FUZZ_CHECK(text.Equals(counted.data.get(), units.size()) == (model == units),
                 "equal to counted units");
      ExactUnits terminated(units, true);
      FUZZ_CHECK((text == terminated.data.get()) == (model == UpToNul(units)),
                 "equal to a terminated text");
      break;
    }
    case 14: {  // length of a terminated text, bounded or not
      ExactUnits terminated(model, true);
      const size_t limit = input.U16();
      const size_t length = UpToNul(model).size();
      FUZZ_CHECK(TextLength(terminated.data.get()) == length, "units before the terminator");
      FUZZ_CHECK(TextLengthBounded(terminated.data.get(), limit) == std::min(length, limit),
                 "never more units than the limit");
      FUZZ_CHECK(TextLength(nullptr) == 0 && TextLengthBounded(nullptr, limit) == 0,
                 "no text has no units");
      break;
    }
    case 15:  // path buffers, fed from outside or from a string
      switch (b) {
        case 0:
          state.path.Apply(input, text);
          break;
        case 1:
          state.shortPath.Apply(input, text);
          break;
        default:
          state.emptyPath.Apply(input, text);
          break;
      }
      break;
  }
}

}  // namespace
}  // namespace quillane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillane::fuzz;
  FuzzInput input(data, size);
  State state;
  state.Check();
  while (!input.Empty()) {
    Apply(state, input);
    state.Check();
  }
  return 0;
}
