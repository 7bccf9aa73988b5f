#pragma once
// A seam: one process-wide slot where the program connects the object that
// implements an interface a lower library calls out through, and where tests
// connect a fake. Reaching an empty slot is a wiring fault no frame survives.
#include <cstdlib>

namespace gv {

template <class Interface> class Seam {
  public:
    static Interface& get() {
        if (!slot()) std::abort();
        return *slot();
    }
    static void connect(Interface* implementation) { slot() = implementation; }
    static bool connected() { return slot() != nullptr; }

  private:
    static Interface*& slot() {
        static Interface* implementation = nullptr;
        return implementation;
    }
};

} // namespace gv
