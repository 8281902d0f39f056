// Not a timing of the game: what a window costs before the game draws anything. Opens a
// 640×480 SDL window and wakes 25 times a second, as the game's loop does between frames
// (reads the window system's events, then waits up to 41 ms for the next), and prints the CPU
// time of one wake-up. On a virtual machine or a busy host a sleeping process comes back to
// cold caches, so this floor alone can be a large part of a windowed frame;
// scripts/measure-window prints it beside the game's figures.
//   window_floor [SECONDS]
#include <SDL.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

namespace {

double CpuSeconds() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
         static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
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
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
