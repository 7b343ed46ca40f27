#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>

// A handler slot value: an object bound to one of its member functions, or a
// free callable carrying an identity chosen by its creator. Handlers compare
// equal when they bind the same member function of the same object, or carry
// the same identity; the controller relies on this to hand a new default
// handler only to devices that still use the old one. Copies share the bound
// target, so copying a handler never allocates.
template <typename Signature> class THidHandler;

template <typename R, typename... Args> class THidHandler<R(Args...)> {
public:
    THidHandler() = default;
    THidHandler(std::nullptr_t) {}

    template <typename Object, typename Class>
    THidHandler(Object* object, R (Class::*method)(Args...))
        : target_(std::make_shared<Member<Class, R (Class::*)(Args...)>>(object, method))
    {
        static_assert(std::is_base_of_v<Class, Object>, "method of another class");
    }

    template <typename Object, typename Class>
    THidHandler(const Object* object, R (Class::*method)(Args...) const)
        : target_(
              std::make_shared<Member<const Class, R (Class::*)(Args...) const>>(object, method))
    {
        static_assert(std::is_base_of_v<Class, Object>, "method of another class");
    }

    // A free callable; every handler made with the same identity is equal to
    // this one, whatever its callable.
    template <typename F> static THidHandler fromCallable(const void* identity, F callable)
    {
        THidHandler handler;
        handler.target_ = std::make_shared<Callable<F>>(identity, std::move(callable));
        return handler;
    }

    explicit operator bool() const { return target_ != nullptr; }

    R operator()(Args... args) const { return target_->invoke(std::forward<Args>(args)...); }

    friend bool operator==(const THidHandler& a, const THidHandler& b)
    {
        if (a.target_ == b.target_)
            return true;
        if (!a.target_ || !b.target_)
            return false;
        return a.target_->sameAs(*b.target_);
    }
    friend bool operator!=(const THidHandler& a, const THidHandler& b) { return !(a == b); }

private:
    struct Target {
        virtual ~Target() = default;
        virtual R invoke(Args... args) const = 0;
        virtual bool sameAs(const Target& other) const = 0;
    };

    template <typename Class, typename Method> struct Member final : Target {
        Member(Class* o, Method m) : object(o), method(m) {}
        R invoke(Args... args) const override
        {
            return (object->*method)(std::forward<Args>(args)...);
        }
        bool sameAs(const Target& other) const override
        {
            auto* o = dynamic_cast<const Member*>(&other);
            return o && o->object == object && o->method == method;
        }
        Class* object;
        Method method;
    };

    struct Identified : Target {
        explicit Identified(const void* id) : identity(id) {}
        bool sameAs(const Target& other) const override
        {
            auto* o = dynamic_cast<const Identified*>(&other);
            return o && o->identity == identity;
        }
        const void* identity;
    };

    template <typename F> struct Callable final : Identified {
        Callable(const void* id, F f) : Identified(id), callable(std::move(f)) {}
        R invoke(Args... args) const override { return callable(std::forward<Args>(args)...); }
        F callable;
    };

    std::shared_ptr<const Target> target_;
};
