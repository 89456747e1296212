// TSet: a set of enumeration values held in the bits of an unsigned integer,
// bit n standing for ordinal n, as the sets of the component properties are stored.
#pragma once

#include <initializer_list>
#include <type_traits>

namespace platform {

template <typename E, typename Storage>
class TSet {
    static_assert(std::is_unsigned_v<Storage>, "a set is held in an unsigned integer");

  public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> Values) {
        for (E V : Values)
            Include(V);
    }
    static constexpr TSet FromBits(Storage Bits) {
        TSet S;
        S.FBits = Bits;
        return S;
    }

    constexpr bool Contains(E V) const { return (FBits & Bit(V)) != 0; }
    constexpr TSet& Include(E V) {
        FBits = static_cast<Storage>(FBits | Bit(V));
        return *this;
    }
    constexpr TSet& Exclude(E V) {
        FBits = static_cast<Storage>(FBits & ~Bit(V));
        return *this;
    }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr Storage Bits() const { return FBits; }

    friend constexpr TSet operator|(TSet A, TSet B) { return FromBits(A.FBits | B.FBits); }
    friend constexpr TSet operator&(TSet A, TSet B) { return FromBits(A.FBits & B.FBits); }
    friend constexpr TSet operator-(TSet A, TSet B) { return FromBits(A.FBits & ~B.FBits); }
    friend constexpr bool operator==(TSet A, TSet B) { return A.FBits == B.FBits; }

  private:
    static constexpr Storage Bit(E V) {
        return static_cast<Storage>(Storage{1} << static_cast<unsigned>(V));
    }
    Storage FBits = 0;
};

}  // namespace platform
