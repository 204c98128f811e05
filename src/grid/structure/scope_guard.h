#pragma once
// The grid's one scope guard: runs a function when the scope ends, however it ends (try..finally), and its
// most common use, a flag set for the lifetime of a scope.
#include <utility>

template <class F>
class TwScopeExit {
 public:
  explicit TwScopeExit(F f) : f_(std::move(f)) {}
  /// Like a finally block, an error the function raises goes on (unless the scope is already unwinding).
  ~TwScopeExit() noexcept(false) { f_(); }
  TwScopeExit(const TwScopeExit&) = delete;
  TwScopeExit& operator=(const TwScopeExit&) = delete;

 private:
  F f_;
};

/// Sets a flag for the lifetime of the scope and clears it at the end, also when a handler throws.
class TwFlagScope {
 public:
  explicit TwFlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~TwFlagScope() { flag_ = false; }
  TwFlagScope(const TwFlagScope&) = delete;
  TwFlagScope& operator=(const TwFlagScope&) = delete;

 private:
  bool& flag_;
};
