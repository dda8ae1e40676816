#pragma once

namespace Vextal {

// Keeps track of the latest living object of type T, for a part of the
// viewer's state that the code of its layer reaches without being handed it.
// T holds one LatestOf<T> as its first member: constructing a T makes it the
// latest, destroying it brings back the one made before. Objects of T end in
// the reverse order of their making, as locals and members do, so a test
// that makes a fresh T on its stack sees it, and the one before it again
// when it returns.
template <class T> class LatestOf {
public:
    explicit LatestOf(T& object) : previous(latest) { latest = &object; }
    ~LatestOf() { latest = previous; }
    LatestOf(const LatestOf&) = delete;
    LatestOf& operator=(const LatestOf&) = delete;

    // The latest living T; null while none exists.
    static T* get() { return latest; }

private:
    T* previous;
    inline static T* latest = nullptr;
};

} // namespace Vextal
