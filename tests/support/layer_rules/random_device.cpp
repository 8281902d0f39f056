// expect: forbidden_use_foundation_random_generator
#include <random>
int main() { return static_cast<int>(std::random_device{}()); }
