// A device's objects by handle: stock objects below kFirstCreated, created ones numbered from
// kFirstCreated up and never numbered again. A shape's pens and brushes mostly live until the
// next few are made, so the created ones sit in a run indexed from the oldest one kept; the few
// that outlive many later ones (a window's feedback pens) are set aside in a map, so the run
// stays short however long the device is used. No allocation per object in the common case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/gdi/Device.h"

namespace gdi {

template <typename T>
class HandleTable {
 public:
  static constexpr Handle kFirstCreated = 100;

  const T* Find(Handle h) const {
    if (h >= base_) {
      const size_t i = h - base_;
      return i < run_.size() && run_[i].live ? &run_[i].object : nullptr;
    }
    if (h < kFirstCreated) return h < kFixed && fixed_[h].live ? &fixed_[h].object : nullptr;
    const auto it = aside_.find(h);
    return it == aside_.end() ? nullptr : &it->second;
  }

  // The next created handle for `object`.
  Handle Add(const T& object) {
    run_.push_back({object, true});
    ++live_;
    return base_ + Handle(run_.size() - 1);
  }

  // Stock objects take their own handles; false for one out of their range.
  bool Put(Handle h, const T& object) {
    if (h >= kFixed) return false;
    fixed_[h] = {object, true};
    return true;
  }

  bool Erase(Handle h) {
    if (h >= base_) {
      const size_t i = h - base_;
      if (i >= run_.size() || !run_[i].live) return false;
      run_[i].live = false;
      --live_;
      Trim();
      return true;
    }
    if (h < kFirstCreated) {
      if (h >= kFixed || !fixed_[h].live) return false;
      fixed_[h].live = false;
      return true;
    }
    return aside_.erase(h) > 0;
  }

 private:
  static constexpr Handle kFixed = 32;
  // A run this long that is mostly deleted objects sets its survivors aside.
  static constexpr size_t kLongRun = 256;
  struct Slot {
    T object{};
    bool live = false;
  };

  void Trim() {
    if (live_ == 0 || (run_.size() >= kLongRun && live_ * 4 < run_.size())) {
      for (size_t i = 0; i < run_.size(); ++i)
        if (run_[i].live) aside_.emplace(base_ + Handle(i), run_[i].object);
      base_ += Handle(run_.size());
      run_.clear();
      live_ = 0;
    }
  }

  Slot fixed_[kFixed];
  std::vector<Slot> run_;  // handles base_, base_ + 1, ...
  Handle base_ = kFirstCreated;
  size_t live_ = 0;  // live objects in the run
  std::unordered_map<Handle, T> aside_;
};

}  // namespace gdi
