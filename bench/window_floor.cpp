// Not a timing of the game: what a window costs before the game draws anything. Opens a
// 640×480 SDL window and wakes 25 times a second, as the game's loop does between frames
// (reads the window system's events, then waits up to 41 ms for the next), and prints the CPU
// time of one wake-up. On a virtual machine or a busy host a sleeping process comes back to
// cold caches, so this floor alone can be a large part of a windowed frame;
// scripts/measure-window prints it beside the game's figures, with the reference every frame is
// read against: a memcpy of one 640×480×2 frame, timed in the same run.
//   window_floor [SECONDS]
#include <SDL.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

double CpuSeconds() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
         static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The CPU time of one memcpy of a 640×480×2 frame: the least batch average of several, so a
// neighbour on the machine shows in none of them.
double MemcpyMicros() {
  std::vector<unsigned char> from(640 * 480 * 2, 1), to(from.size());
  constexpr int kBatch = 200;
  double best = 1e9;
  for (int batch = 0; batch < 10; ++batch) {
    const double start = ThreadCpuSeconds();
    for (int i = 0; i < kBatch; ++i) {
      from[static_cast<size_t>(i)] = static_cast<unsigned char>(batch + i);
      std::memcpy(to.data(), from.data(), from.size());
      asm volatile("" : : "r"(to.data()) : "memory");
    }
    const double took = (ThreadCpuSeconds() - start) * 1e6 / kBatch;
    if (took < best) best = took;
  }
  return best;
}

// Wakes until `ms` have passed and returns the number of wake-ups.
int Wake(Uint32 ms) {
  const Uint32 start = SDL_GetTicks();
  int wakes = 0;
  SDL_Event e;
  while (SDL_GetTicks() - start < ms) {
    while (SDL_PollEvent(&e)) {
    }
    SDL_WaitEventTimeout(&e, 41);
    ++wakes;
  }
  return wakes;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
  if (seconds <= 0 || SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "window_floor: %s\n",
                 seconds <= 0 ? "usage: window_floor [SECONDS]" : SDL_GetError());
    return 1;
  }
  SDL_Window* window = SDL_CreateWindow("window floor", SDL_WINDOWPOS_UNDEFINED,
                                        SDL_WINDOWPOS_UNDEFINED, 640, 480, 0);
  if (!window) {
    std::fprintf(stderr, "window_floor: %s\n", SDL_GetError());
    SDL_Quit();
    return 1;
  }
  Wake(2000);  // the window is mapped and settles
  const double before = CpuSeconds();
  const int wakes = Wake(static_cast<Uint32>(seconds) * 1000);
  const double cpu = CpuSeconds() - before;
  std::printf("empty window: %d wake-ups, %.1f us each\n", wakes,
              wakes > 0 ? cpu * 1e6 / wakes : 0.0);
  std::printf("memcpy of one 640x480x2 frame: %.2f us\n", MemcpyMicros());
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
