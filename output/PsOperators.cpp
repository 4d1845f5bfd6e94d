// The reader's operator table and its prefix lookup.
#include <algorithm>
#include <cstring>

#include "output/PsReader.h"

namespace {

using H = PsHandler;

// Lookup order matters: an operator that is a proper prefix of a longer name reaches the first
// entry it begins, so "T" is the text end and "A" the arrow type.
constexpr PsOperator kTable[kPsOperatorCount] = {
    {"b", H::kFinishPath, kPsClose | kPsFill | kPsStroke},
    {"B", H::kFinishPath, kPsFill | kPsStroke},
    {"c", H::kCurveTo, 0},
    {"C", H::kCurveTo, kPsCorner},
    {"d", H::kDash, 0},
    {"e", H::kTextMatrix, 0},
    {"f", H::kFinishPath, kPsClose | kPsFill},
    {"F", H::kFinishPath, kPsFill},
    {"g", H::kGrey, kPsFill},
    {"G", H::kGrey, 0},
    {"k", H::kCmyk, kPsFill},
    {"K", H::kCmyk, 0},
    {"l", H::kLineTo, 0},
    {"L", H::kLineTo, 0},
    {"m", H::kMoveTo, 0},
    {"n", H::kFinishPath, kPsClose},
    {"N", H::kFinishPath, 0},
    {"s", H::kFinishPath, kPsClose | kPsStroke},
    {"S", H::kFinishPath, kPsStroke},
    {"t", H::kTextLine, 0},
    {"T", H::kTextEnd, 0},
    {"Tf", H::kFontAndSize, 0},
    {"Tj", H::kTextLine, 0},
    {"TO", H::kTextEnd, 0},
    {"Tp", H::kTextMatrixAi, 0},
    {"Tx", H::kTextLine, 0},
    {"TX", H::kTextLine, 0},
    {"tbx", H::kTextBox, 0},
    {"u", H::kGroupBegin, 0},
    {"*u", H::kCompoundBegin, 0},
    {"U", H::kGroupEnd, 0},
    {"*U", H::kCompoundEnd, 0},
    {"v", H::kCurveFromHere, 0},
    {"V", H::kCurveFromHere, kPsCorner},
    {"x", H::kCmyk, kPsFill},
    {"X", H::kCmyk, 0},
    {"Xa", H::kRgb, kPsFill},
    {"XA", H::kRgb, 0},
    {"y", H::kCurveToEnd, 0},
    {"Y", H::kCurveToEnd, kPsCorner},
    {"w", H::kLineWidth, 0},
    {"W", H::kDiscardPath, 0},
    {"z", H::kFont, 0},
    {"At", H::kArrowType, 0},
    {"Ln", H::kLineShape, 0},
    {"Ar", H::kArcShape, 0},
    {"Bx", H::kBoxShape, 0},
    {"Ov", H::kOvalShape, 0},
    {"Pat", H::kPattern, 0},
    {"img", H::kImageShape, 0},
};

constexpr size_t kMaxNameLength = 3;

constexpr size_t LongestName() {
  size_t longest = 0;
  for (const PsOperator& op : kTable) longest = std::max(longest, std::string_view(op.name).size());
  return longest;
}
static_assert(LongestName() == kMaxNameLength, "the index packs names into three bytes");

// Up to three bytes packed into one key; 0 never occurs because names hold no NUL.
uint32_t Key(std::string_view s) {
  uint32_t key = 0;
  for (size_t i = 0; i < s.size(); ++i) key |= uint32_t(uint8_t(s[i])) << (8 * i);
  return key;
}

// Every prefix of every name with the entry the table walk gives it, in an open-addressing
// hash table: the reader looks up one operator per statement.
struct PrefixIndex {
  static constexpr uint32_t kSlots = 512;
  uint32_t keys[kSlots] = {};
  int8_t index[kSlots] = {};

  static uint32_t Slot(uint32_t key) { return (key * 2654435761u) >> 23; }

  PrefixIndex() {
    for (const PsOperator& op : kTable) {
      const std::string_view name(op.name);
      for (size_t n = 1; n <= name.size(); ++n) {
        const uint32_t key = Key(name.substr(0, n));
        uint32_t slot = Slot(key);
        while (keys[slot] != 0 && keys[slot] != key) slot = (slot + 1) % kSlots;
        keys[slot] = key;
        index[slot] = int8_t(FindPsOperatorByWalk(name.substr(0, n)));
      }
    }
  }

  int32_t Find(uint32_t key) const {
    for (uint32_t slot = Slot(key);; slot = (slot + 1) % kSlots) {
      if (keys[slot] == key) return index[slot];
      if (keys[slot] == 0) return -1;
    }
  }
};
static_assert(kPsOperatorCount * kMaxNameLength < PrefixIndex::kSlots / 3, "keep the table sparse");

}  // namespace

const PsOperator* PsOperatorTable() { return kTable; }

int32_t FindPsOperatorByWalk(std::string_view op) {
  if (op.empty()) return -1;
  for (int32_t i = 0; i < kPsOperatorCount; ++i) {
    const std::string_view name(kTable[i].name);
    if (op.size() <= name.size() && name.compare(0, op.size(), op) == 0) return i;
  }
  return -1;
}

int32_t FindPsOperator(std::string_view op) {
  static const PrefixIndex index;
  if (op.empty() || op.size() > kMaxNameLength) return -1;
  return index.Find(Key(op));
}
