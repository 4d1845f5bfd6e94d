// A hash map from shape pointers to 32-bit values, for the hit index.
#pragma once

#include <cstdint>
#include <memory>
#include <new>

class Shape;

// Shape pointer -> value, open addressing with linear probing. Pointers are only compared,
// never followed, so entries of destroyed shapes do no harm. Growth never throws: a failed
// allocation reports false.
class PointerMap {
 public:
  static constexpr uint32_t kNone = 0xffffffffu;  // Find's answer for an absent key

  void Clear() {
    keys_.reset();
    values_.reset();
    capacity_ = used_ = 0;
  }

  uint32_t Find(const Shape* key) const {
    if (capacity_ == 0) return kNone;
    for (uint32_t i = Home(key);; i = (i + 1) & (capacity_ - 1)) {
      if (keys_[i] == key) return values_[i];
      if (!keys_[i]) return kNone;
    }
  }

  bool Put(const Shape* key, uint32_t value) {
    if (uint64_t(used_ + 1) * 4 > uint64_t(capacity_) * 3 && !Grow()) return false;
    uint32_t i = Home(key);
    while (keys_[i] && keys_[i] != key) i = (i + 1) & (capacity_ - 1);
    if (!keys_[i]) ++used_;
    keys_[i] = key;
    values_[i] = value;
    return true;
  }

  void Erase(const Shape* key) {
    if (capacity_ == 0) return;
    const uint32_t mask = capacity_ - 1;
    uint32_t i = Home(key);
    while (keys_[i] != key) {
      if (!keys_[i]) return;
      i = (i + 1) & mask;
    }
    // Backward shift: later members of the probe run move into the hole when their home allows.
    for (uint32_t j = (i + 1) & mask; keys_[j]; j = (j + 1) & mask) {
      const uint32_t home = Home(keys_[j]);
      const bool stays = i <= j ? (home > i && home <= j) : (home > i || home <= j);
      if (stays) continue;
      keys_[i] = keys_[j];
      values_[i] = values_[j];
      i = j;
    }
    keys_[i] = nullptr;
    --used_;
  }

  bool Reserve(uint32_t n) {
    while (uint64_t(n) * 4 > uint64_t(capacity_) * 3)
      if (!Grow()) return false;
    return true;
  }

 private:
  uint32_t Home(const Shape* key) const {
    uint64_t h = uint64_t(reinterpret_cast<uintptr_t>(key) >> 4) * 0x9E3779B97F4A7C15ull;
    return uint32_t(h >> 32) & (capacity_ - 1);
  }

  bool Grow() {
    const uint32_t fresh = capacity_ ? capacity_ * 2 : 1024;
    if (fresh > (1u << 30)) return false;
    std::unique_ptr<const Shape*[]> keys(new (std::nothrow) const Shape*[fresh]());
    std::unique_ptr<uint32_t[]> values(new (std::nothrow) uint32_t[fresh]);
    if (!keys || !values) return false;
    std::unique_ptr<const Shape*[]> oldKeys = std::move(keys_);
    std::unique_ptr<uint32_t[]> oldValues = std::move(values_);
    const uint32_t oldCapacity = capacity_;
    keys_ = std::move(keys);
    values_ = std::move(values);
    capacity_ = fresh;
    used_ = 0;
    for (uint32_t i = 0; i < oldCapacity; ++i)
      if (oldKeys[i]) Put(oldKeys[i], oldValues[i]);  // room is certain
    return true;
  }

  std::unique_ptr<const Shape*[]> keys_;
  std::unique_ptr<uint32_t[]> values_;
  uint32_t capacity_ = 0;  // a power of two
  uint32_t used_ = 0;
};
