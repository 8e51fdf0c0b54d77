// Callback objects passed between the parts of the input method: a closure
// to run later, a factory, a notification with an argument.
//
//   Closure                  void Run()
//   Callback1<A>             void Run(A)
//   ResultCallback<R>        R Run()
//   ResultCallback1<R, A>    R Run(A)
//
// NewCallback makes a one-shot callback, which deletes itself when Run
// returns; NewPermanentCallback makes one that can run any number of times
// and is deleted by its owner. Both bind a member function to an object (not
// owned; it must outlive the callback) or take a free function, optionally
// with the function's first argument bound now (stored by value):
//
//   Closure* done = NewCallback(this, &Engine::OnDone);
//   ResultCallback<StorageManager*>* factory =
//       NewPermanentCallback(&CreateStorageManager);
//   Callback1<int>* set = NewPermanentCallback(this, &Engine::SetProperty, 4);
#ifndef IME_SHARED_BASE_CALLBACKS_H_
#define IME_SHARED_BASE_CALLBACKS_H_

#include <memory>
#include <type_traits>
#include <utility>

namespace ime_shared {
namespace base {

class Closure {
 public:
  virtual ~Closure() = default;
  // False for a one-shot callback, which Run deletes.
  virtual bool IsRepeatable() const = 0;
  virtual void Run() = 0;
};

template <typename A>
class Callback1 {
 public:
  virtual ~Callback1() = default;
  virtual bool IsRepeatable() const = 0;
  virtual void Run(A argument) = 0;
};

template <typename R>
class ResultCallback {
 public:
  virtual ~ResultCallback() = default;
  virtual bool IsRepeatable() const = 0;
  virtual R Run() = 0;
};

template <typename R, typename A>
class ResultCallback1 {
 public:
  virtual ~ResultCallback1() = default;
  virtual bool IsRepeatable() const = 0;
  virtual R Run(A argument) = 0;
};

namespace internal {

// The callback interface of a call signature (at most one argument).
template <typename Signature>
struct CallbackFor;
template <>
struct CallbackFor<void()> {
  using Type = Closure;
};
template <typename A>
struct CallbackFor<void(A)> {
  using Type = Callback1<A>;
};
template <typename R>
struct CallbackFor<R()> {
  using Type = ResultCallback<R>;
};
template <typename R, typename A>
struct CallbackFor<R(A)> {
  using Type = ResultCallback1<R, A>;
};

template <typename Signature>
using CallbackType = typename CallbackFor<Signature>::Type;

// Implements the interface of |Signature| by calling |Invoker|.
template <typename Signature, typename Invoker>
class CallbackImpl;

template <typename R, typename... Args, typename Invoker>
class CallbackImpl<R(Args...), Invoker> : public CallbackType<R(Args...)> {
 public:
  CallbackImpl(Invoker invoker, bool permanent)
      : invoker_(std::move(invoker)), permanent_(permanent) {}

  bool IsRepeatable() const override { return permanent_; }

  R Run(Args... args) override {
    if (permanent_) return invoker_(std::forward<Args>(args)...);
    // Deleted once the call has returned (and its result is made).
    std::unique_ptr<CallbackImpl> self(this);
    return invoker_(std::forward<Args>(args)...);
  }

 private:
  Invoker invoker_;
  const bool permanent_;
};

template <typename Signature, typename Invoker>
CallbackType<Signature>* Make(Invoker invoker, bool permanent) {
  return new CallbackImpl<Signature, Invoker>(std::move(invoker), permanent);
}

// Calls a member function on an object.
template <typename Object, typename Method>
struct MemberInvoker {
  template <typename... Args>
  decltype(auto) operator()(Args&&... args) const {
    return (object->*method)(std::forward<Args>(args)...);
  }
  Object* object;
  Method method;
};

// Calls a member function with its first argument bound.
template <typename Object, typename Method, typename Bound>
struct BoundMemberInvoker {
  template <typename... Args>
  decltype(auto) operator()(Args&&... args) {
    return (object->*method)(bound, std::forward<Args>(args)...);
  }
  Object* object;
  Method method;
  Bound bound;
};

// Calls a free function with its first argument bound.
template <typename Function, typename Bound>
struct BoundFunctionInvoker {
  template <typename... Args>
  decltype(auto) operator()(Args&&... args) {
    return function(bound, std::forward<Args>(args)...);
  }
  Function function;
  Bound bound;
};

}  // namespace internal

// Member functions.

template <typename Caller, typename Class, typename R, typename... Args>
internal::CallbackType<R(Args...)>* NewCallback(Caller* object,
                                                R (Class::*method)(Args...)) {
  return internal::Make<R(Args...)>(
      internal::MemberInvoker<Caller, R (Class::*)(Args...)>{object, method},
      false);
}

template <typename Caller, typename Class, typename R, typename... Args>
internal::CallbackType<R(Args...)>* NewPermanentCallback(
    Caller* object, R (Class::*method)(Args...)) {
  return internal::Make<R(Args...)>(
      internal::MemberInvoker<Caller, R (Class::*)(Args...)>{object, method},
      true);
}

template <typename Caller, typename Class, typename R, typename... Args>
internal::CallbackType<R(Args...)>* NewCallback(
    const Caller* object, R (Class::*method)(Args...) const) {
  return internal::Make<R(Args...)>(
      internal::MemberInvoker<const Caller, R (Class::*)(Args...) const>{
          object, method},
      false);
}

template <typename Caller, typename Class, typename R, typename... Args>
internal::CallbackType<R(Args...)>* NewPermanentCallback(
    const Caller* object, R (Class::*method)(Args...) const) {
  return internal::Make<R(Args...)>(
      internal::MemberInvoker<const Caller, R (Class::*)(Args...) const>{
          object, method},
      true);
}

// Member functions with the first argument bound.

template <typename Caller, typename Class, typename R, typename P,
          typename... Args, typename Bound>
internal::CallbackType<R(Args...)>* NewCallback(
    Caller* object, R (Class::*method)(P, Args...), Bound&& bound) {
  using Stored = std::decay_t<P>;
  return internal::Make<R(Args...)>(
      internal::BoundMemberInvoker<Caller, R (Class::*)(P, Args...), Stored>{
          object, method, Stored(std::forward<Bound>(bound))},
      false);
}

template <typename Caller, typename Class, typename R, typename P,
          typename... Args, typename Bound>
internal::CallbackType<R(Args...)>* NewPermanentCallback(
    Caller* object, R (Class::*method)(P, Args...), Bound&& bound) {
  using Stored = std::decay_t<P>;
  return internal::Make<R(Args...)>(
      internal::BoundMemberInvoker<Caller, R (Class::*)(P, Args...), Stored>{
          object, method, Stored(std::forward<Bound>(bound))},
      true);
}

// Free functions.

template <typename R, typename... Args>
internal::CallbackType<R(Args...)>* NewCallback(R (*function)(Args...)) {
  return internal::Make<R(Args...)>(function, false);
}

template <typename R, typename... Args>
internal::CallbackType<R(Args...)>* NewPermanentCallback(
    R (*function)(Args...)) {
  return internal::Make<R(Args...)>(function, true);
}

// Free functions with the first argument bound.

template <typename R, typename P, typename... Args, typename Bound>
internal::CallbackType<R(Args...)>* NewCallback(R (*function)(P, Args...),
                                                Bound&& bound) {
  using Stored = std::decay_t<P>;
  return internal::Make<R(Args...)>(
      internal::BoundFunctionInvoker<R (*)(P, Args...), Stored>{
          function, Stored(std::forward<Bound>(bound))},
      false);
}

template <typename R, typename P, typename... Args, typename Bound>
internal::CallbackType<R(Args...)>* NewPermanentCallback(
    R (*function)(P, Args...), Bound&& bound) {
  using Stored = std::decay_t<P>;
  return internal::Make<R(Args...)>(
      internal::BoundFunctionInvoker<R (*)(P, Args...), Stored>{
          function, Stored(std::forward<Bound>(bound))},
      true);
}

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_CALLBACKS_H_
