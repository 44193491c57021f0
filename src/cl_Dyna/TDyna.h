// The growable 1-D and 2-D arrays every list and raster of the program is
// built on. Indices are not checked: callers keep i within 0..High().
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace drovix {

// Root of the objects a TAOO may hold.
class TObject {
 public:
  virtual ~TObject() = default;
};

class TDyna : public TObject {
 public:
  TDyna() = default;
  TDyna(const TDyna&) = delete;
  TDyna& operator=(const TDyna&) = delete;
  ~TDyna() override = default;

  int32_t Count() const { return count_; }
  int32_t High() const { return count_ - 1; }

  // Records n as the requested count, resizes the storage, sets Count to n.
  // New elements are zero; dropped ones are released.
  void SetCount(int32_t n) {
    requested_ = n;
    Reallocate(n);
    count_ = n;
  }
  void Grow() { SetCount(count_ + 1); }
  void Shrink() { SetCount(count_ - 1); }

  virtual void ZeroAll() = 0;
  // 1-D arrays take n as the count and ignore m; 2-D arrays make n rows of m.
  virtual void SetSize(int32_t n, int32_t /*m*/) { SetCount(n); }
  virtual void* Data() = 0;

 protected:
  // Makes the storage n elements long (called only by SetCount).
  virtual void Reallocate(int32_t n) = 0;
  int32_t RequestedCount() const { return requested_; }

 private:
  int32_t count_ = 0;
  int32_t requested_ = 0;
};

template <class T>
class TAO : public TDyna {
 public:
  using value_type = T;

  int32_t Add(T x) {
    Grow();
    items_[static_cast<size_t>(High())] = std::move(x);
    return High();
  }
  T& Items(int32_t i) { return items_[static_cast<size_t>(i)]; }
  const T& Items(int32_t i) const { return items_[static_cast<size_t>(i)]; }
  T& operator[](int32_t i) { return items_[static_cast<size_t>(i)]; }
  const T& operator[](int32_t i) const { return items_[static_cast<size_t>(i)]; }
  T Get(int32_t i) const { return items_[static_cast<size_t>(i)]; }
  void Put(int32_t i, T x) { items_[static_cast<size_t>(i)] = std::move(x); }
  T Last() const { return items_.back(); }
  void SetLast(T x) { items_.back() = std::move(x); }

  void ZeroAll() override {
    for (auto& e : items_) e = T{};
  }
  // Address of element 0; nullptr when empty. Strings are not exposed.
  void* Data() override {
    if constexpr (std::is_same_v<T, std::string>) {
      return nullptr;
    } else {
      return items_.empty() ? nullptr : static_cast<void*>(items_.data());
    }
  }
  T* begin() { return items_.data(); }
  T* end() { return items_.data() + items_.size(); }
  const T* begin() const { return items_.data(); }
  const T* end() const { return items_.data() + items_.size(); }

 protected:
  void Reallocate(int32_t n) override {
    // Growth goes through std::vector's capacity, so repeated Add stays cheap;
    // dropped elements are destroyed, new ones are value-initialised (zero).
    items_.resize(static_cast<size_t>(n));
  }

 private:
  std::vector<T> items_;
};

using TAOS = TAO<std::string>;
using TAOF = TAO<float>;
using TAOP = TAO<void*>;
using TAOC = TAO<uint32_t>;
using TAOI = TAO<int32_t>;

// Array of object references. Non-owning unless OwnsObjects is set, in which
// case every element it drops (shrink, ZeroAll, destruction) is freed; a
// failure while freeing one element does not stop the rest.
class TAOO : public TAO<TObject*> {
 public:
  bool OwnsObjects = false;
  ~TAOO() override { SetCount(0); }
  void ZeroAll() override {
    if (OwnsObjects)
      for (int32_t i = 0; i < Count(); ++i) FreeElement(i);
    TAO<TObject*>::ZeroAll();
  }

 protected:
  void Reallocate(int32_t n) override {
    if (OwnsObjects)
      for (int32_t i = n; i < Count(); ++i) FreeElement(i);
    TAO<TObject*>::Reallocate(n);
  }

 private:
  void FreeElement(int32_t i) {
    std::unique_ptr<TObject> owned(Items(i));
    Items(i) = nullptr;
    try {
      owned.reset();
    } catch (...) {
    }
  }
};

// Two-dimensional array: Count rows, each a 1-D array it owns. Element j of
// row i is Row(i).Items(j) (or Row(i)[j]).
template <class R>
class T2DAO : public TDyna {
 public:
  using RowType = R;

  R& Row(int32_t i) { return *rows_[static_cast<size_t>(i)]; }
  const R& Row(int32_t i) const { return *rows_[static_cast<size_t>(i)]; }
  // Replaces row i and hands the previous row back to the caller.
  std::unique_ptr<R> SetRow(int32_t i, std::unique_ptr<R> row) {
    std::swap(rows_[static_cast<size_t>(i)], row);
    return row;
  }
  std::unique_ptr<R> SetLastRow(std::unique_ptr<R> row) { return SetRow(High(), std::move(row)); }
  R& LastRow() { return *rows_.back(); }

  // n rows of m elements each.
  void SetSize(int32_t n, int32_t m) override {
    SetCount(n);
    for (auto& r : rows_) r->SetCount(m);
  }
  void ZeroAll() override {
    for (auto& r : rows_) r->ZeroAll();
  }
  void* Data() override { return nullptr; }

 protected:
  // Dropped rows are freed; new rows are empty (Count 0). Out of memory, the
  // array keeps its rows as they were.
  void Reallocate(int32_t n) override {
    const size_t want = static_cast<size_t>(n);
    if (want <= rows_.size()) {
      rows_.resize(want);
      return;
    }
    std::vector<std::unique_ptr<R>> added(want - rows_.size());
    for (auto& r : added) r = std::make_unique<R>();
    rows_.reserve(want);
    for (auto& r : added) rows_.push_back(std::move(r));
  }

 private:
  std::vector<std::unique_ptr<R>> rows_;
};

using T2DAOS = T2DAO<TAOS>;
using T2DAOF = T2DAO<TAOF>;
using T2DAOP = T2DAO<TAOP>;
using T2DAOC = T2DAO<TAOC>;
using T2DAOI = T2DAO<TAOI>;
using T2DAOO = T2DAO<TAOO>;

}  // namespace drovix
