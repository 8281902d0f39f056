// expect: isora_forbidden_call_use_the_foundation_seam_for_getenv
#include <cstdlib>
int main() {
  return std::getenv(
             "HOME") != nullptr;
}
