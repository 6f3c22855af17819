#pragma once
// The pseudo-random numbers of the Windows C library's rand() after srand(1):
// seed x 214013 + 2531011, bits 16 to 30. The e-mail boundaries draw from it,
// so the first boundary of every program run is the same (intended: the
// messages of a run are reproducible byte for byte).

namespace kelvinor {

class WindowsRandom {
  public:
    int next() {
        seed_ = seed_ * 214013u + 2531011u;
        return static_cast<int>((seed_ >> 16) & 0x7FFF);
    }

  private:
    unsigned seed_ = 1;
};

}  // namespace kelvinor
