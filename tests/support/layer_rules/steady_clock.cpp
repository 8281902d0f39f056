// expect: foundation/clock.h
#include <chrono>
using namespace std::chrono;
int main() { return steady_clock::now().time_since_epoch().count() > 0; }
