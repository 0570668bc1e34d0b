#pragma once
// Messages: a type id and at most one payload value. Senders build a message as a local
// and pass its address; a router keeps a pooled Clone of a delayed message.
//
// Some ids are sent with more than one payload type (MSG_PLAYER_XP as float and as
// double, MSG_PAUSE_TRIGGER with and without a bool), so handlers read payloads through
// the checked accessors below instead of casting: a number of another arithmetic type
// is converted, anything else gives the caller's fallback.

#include <cmath>
#include <limits>
#include <type_traits>

#include "core/memory_allocator.h"
#include "core/message_types.h"
#include "core/types.h"

// One address per payload type identifies the payload without RTTI.
using PayloadTag = const void*;

template <class T> struct PayloadTagOf {
    // Writable, so no linker can fold the tags of two types into one address.
    static inline char tag = 0;
};

template <class T> PayloadTag TagOf() {
    return &PayloadTagOf<std::remove_cv_t<T>>::tag;
}

class BaseMessage : public Allocator<BaseMessage> {
  public:
    explicit BaseMessage(u32 type = MSG_NULL) : type(type) {}
    BaseMessage(const BaseMessage&) = default;
    BaseMessage& operator=(const BaseMessage&) = default;
    virtual ~BaseMessage() = default;

    // A pooled heap copy that deep-copies the payload; the receiver of the copy deletes it.
    virtual BaseMessage* Clone() const { return new BaseMessage(*this); }

    // Null for a message without payload.
    virtual PayloadTag Tag() const { return nullptr; }
    // The payload as a double when it is arithmetic (bool, integer or floating point).
    virtual bool NumericValue(double*) const { return false; }

    template <class T> bool Holds() const { return Tag() == TagOf<T>(); }
    // The payload when it has exactly type T, else null.
    template <class T> const T* Payload() const;
    template <class T> T* Payload();
    // The payload converted to T: exact types as they are, arithmetic types converted
    // (integers saturate, NaN gives 0), anything else gives fallback.
    template <class T> T ValueOr(const T& fallback) const;

    u32 type;
};

template <class T> class Message : public BaseMessage, public Allocator<Message<T>> {
  public:
    using Allocator<Message<T>>::operator new;
    using Allocator<Message<T>>::operator delete;
    using ValueType = T;

    Message(u32 type, const T& value) : BaseMessage(type), value(value) {}
    Message(const Message&) = default;
    Message& operator=(const Message&) = default;
    ~Message() override = default;

    BaseMessage* Clone() const override { return new Message<T>(*this); }
    PayloadTag Tag() const override { return TagOf<T>(); }
    bool NumericValue(double* out) const override {
        if constexpr (std::is_arithmetic_v<T>) {
            *out = static_cast<double>(value);
            return true;
        } else {
            return false;
        }
    }

    T value;
};

namespace message_detail {

template <class T> T FromDouble(double d) {
    if constexpr (std::is_same_v<T, bool>) {
        return d != 0.0;
    } else if constexpr (std::is_integral_v<T>) {
        if (std::isnan(d)) {
            return T{};
        }
        constexpr double lo = static_cast<double>(std::numeric_limits<T>::lowest());
        constexpr double hi = static_cast<double>(std::numeric_limits<T>::max());
        if (d <= lo) {
            return std::numeric_limits<T>::lowest();
        }
        if (d >= hi) {
            return std::numeric_limits<T>::max();
        }
        return static_cast<T>(d);
    } else {
        return static_cast<T>(d);
    }
}

} // namespace message_detail

template <class T> const T* BaseMessage::Payload() const {
    if (!Holds<T>()) {
        return nullptr;
    }
    return &static_cast<const Message<T>*>(this)->value;
}

template <class T> T* BaseMessage::Payload() {
    if (!Holds<T>()) {
        return nullptr;
    }
    return &static_cast<Message<T>*>(this)->value;
}

template <class T> T BaseMessage::ValueOr(const T& fallback) const {
    if (const T* exact = Payload<T>()) {
        return *exact;
    }
    if constexpr (std::is_arithmetic_v<T>) {
        double number = 0.0;
        if (NumericValue(&number)) {
            return message_detail::FromDouble<T>(number);
        }
    }
    return fallback;
}
