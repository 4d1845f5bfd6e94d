// The growable array behind every list of the model. Elements are stored by value and must be
// plain data (pointers, points, path records, curve nodes). Growth never throws: a failed
// allocation reports false and leaves the array as it was.
//
// The array remembers the lowest index its mutators have changed since MarkUnchanged, so that a
// derived index (the drawing's hit index) can bring itself up to date without comparing the
// whole list. For arrays of pointers (shape lists), non-const operator[] and Data() count as
// changes too; writes through begin() (a range-for by reference, std::sort) are not seen.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>

template <typename T>
class GrowArray {
  static_assert(std::is_trivially_copyable_v<T>, "GrowArray holds plain data only");

 public:
  explicit GrowArray(int32_t growStep = 0) : growStep_(growStep) {}
  ~GrowArray() { std::free(data_); }
  GrowArray(const GrowArray&) = delete;
  GrowArray& operator=(const GrowArray&) = delete;
  GrowArray(GrowArray&& o) noexcept { Steal(o); }
  GrowArray& operator=(GrowArray&& o) noexcept {
    if (this != &o) {
      std::free(data_);
      Steal(o);
      changedFrom_ = 0;
    }
    return *this;
  }

  int32_t Count() const { return count_; }
  int32_t Capacity() const { return capacity_; }
  int32_t GrowStep() const { return growStep_; }
  bool Empty() const { return count_ == 0; }
  // Elements before this index are the same as at the last MarkUnchanged (0 for a new array).
  int32_t ChangedFrom() const { return changedFrom_; }
  void MarkUnchanged() const { changedFrom_ = INT32_MAX; }
  T* Data() {
    if constexpr (std::is_pointer_v<T>) NoteChange(0);
    return data_;
  }
  const T* Data() const { return data_; }
  T& operator[](int32_t i) {
    if constexpr (std::is_pointer_v<T>) NoteChange(i);
    return data_[i];
  }
  const T& operator[](int32_t i) const { return data_[i]; }
  T* begin() { return data_; }
  T* end() { return data_ + count_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + count_; }

  // Makes room for n elements: capacity + step when the step is at least 1, else doubled,
  // and at least n.
  bool Reserve(int32_t n) {
    if (n <= capacity_) return true;
    if (n < 0) return false;
    int64_t cap = growStep_ >= 1 ? int64_t(capacity_) + growStep_ : int64_t(capacity_) * 2;
    if (cap < n) cap = n;
    if (cap > INT32_MAX / int64_t(sizeof(T))) cap = n;
    if (uint64_t(cap) * sizeof(T) > uint64_t(INT32_MAX)) return false;
    T* fresh = static_cast<T*>(std::malloc(size_t(cap) * sizeof(T)));
    if (!fresh) return false;
    if (count_) std::memcpy(fresh, data_, size_t(count_) * sizeof(T));
    std::free(data_);
    data_ = fresh;
    capacity_ = int32_t(cap);
    return true;
  }

  // v may be an element of this array: it is copied before the buffer can move.
  bool Append(const T& v) {
    const T copy = v;
    if (count_ == INT32_MAX || !Reserve(count_ + 1)) return false;
    NoteChange(count_);
    data_[count_++] = copy;
    return true;
  }

  // Inserts before index i (0..Count()); later elements move up.
  bool Insert(int32_t i, const T& v) {
    if (i < 0 || i > count_) return false;
    const T copy = v;
    if (count_ == INT32_MAX || !Reserve(count_ + 1)) return false;
    NoteChange(i);
    std::memmove(data_ + i + 1, data_ + i, size_t(count_ - i) * sizeof(T));
    data_[i] = copy;
    ++count_;
    return true;
  }

  // Removes element i; later elements move down by one.
  void RemoveAt(int32_t i) {
    if (i < 0 || i >= count_) return;
    NoteChange(i);
    std::memmove(data_ + i, data_ + i + 1, size_t(count_ - i - 1) * sizeof(T));
    --count_;
  }

  // Index of the first element equal to v, or -1.
  int32_t IndexOf(const T& v) const {
    for (int32_t i = 0; i < count_; ++i)
      if (std::memcmp(&data_[i], &v, sizeof(T)) == 0) return i;
    return -1;
  }

  // Removes the first element equal to v; false when absent.
  bool Remove(const T& v) {
    int32_t i = IndexOf(v);
    if (i < 0) return false;
    RemoveAt(i);
    return true;
  }

  void Clear() {
    NoteChange(0);
    count_ = 0;
  }
  // Keeps the first n elements (n <= Count()).
  void Truncate(int32_t n) {
    if (n >= 0 && n < count_) {
      NoteChange(n);
      count_ = n;
    }
  }

  // Element copy; on failure this array is unchanged.
  bool CopyFrom(const GrowArray& o) {
    if (this == &o) return true;
    if (!Reserve(o.count_)) return false;
    if (o.count_) std::memcpy(data_, o.data_, size_t(o.count_) * sizeof(T));
    NoteChange(0);
    count_ = o.count_;
    return true;
  }

  void Swap(GrowArray& o) noexcept {
    GrowArray t(std::move(o));
    o = std::move(*this);
    *this = std::move(t);
  }

 private:
  void NoteChange(int32_t i) {
    if (i < changedFrom_) changedFrom_ = i;
  }

  void Steal(GrowArray& o) {
    capacity_ = o.capacity_;
    growStep_ = o.growStep_;
    count_ = o.count_;
    data_ = o.data_;
    o.capacity_ = o.count_ = 0;
    o.data_ = nullptr;
    o.changedFrom_ = 0;
  }

  int32_t capacity_ = 0;
  int32_t growStep_ = 0;
  int32_t count_ = 0;
  mutable int32_t changedFrom_ = 0;
  T* data_ = nullptr;
};
