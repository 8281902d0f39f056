// expect: foundation/clock.h
#include <chrono>
int main() { return std::chrono::system_clock::now().time_since_epoch().count() > 0; }
