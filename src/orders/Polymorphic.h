#pragma once
// A record member that holds a record of a declared type or of a type derived
// from it, with value semantics: copies copy the held record. Never empty,
// except after being moved from (then only assignment and destruction).

#include <cassert>
#include <concepts>
#include <memory>
#include <utility>

namespace kanvio::orders {

// Base needs `virtual std::unique_ptr<Base> Clone() const`.
template <class Base>
class Polymorphic {
 public:
  Polymorphic() : value_(std::make_unique<Base>()) {}
  template <std::derived_from<Base> Derived>
  Polymorphic(Derived value)
      : value_(std::make_unique<Derived>(std::move(value))) {}  // NOLINT: implicit on purpose
  Polymorphic(const Polymorphic& other) : value_(other->Clone()) {}
  Polymorphic(Polymorphic&&) noexcept = default;
  Polymorphic& operator=(const Polymorphic& other) {
    if (this != &other) value_ = other->Clone();
    return *this;
  }
  Polymorphic& operator=(Polymorphic&&) noexcept = default;

  // Replaces the held record by a fresh Derived and returns it.
  template <std::derived_from<Base> Derived>
  Derived& Emplace() {
    auto fresh = std::make_unique<Derived>();
    Derived& result = *fresh;
    value_ = std::move(fresh);
    return result;
  }

  Base& operator*() { return *get(); }
  const Base& operator*() const { return *get(); }
  Base* operator->() { return get(); }
  const Base* operator->() const { return get(); }
  Base* get() {
    assert(value_ && "used after move");
    return value_.get();
  }
  const Base* get() const {
    assert(value_ && "used after move");
    return value_.get();
  }

 private:
  std::unique_ptr<Base> value_;
};

}  // namespace kanvio::orders
