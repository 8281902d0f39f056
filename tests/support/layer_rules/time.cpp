// expect: isora_forbidden_call_use_the_foundation_seam_for_time
#include <ctime>
int main() { return static_cast<int>(std::time(nullptr)); }
