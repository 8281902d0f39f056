// expect: isora_forbidden_call_use_the_foundation_seam_for_secure_getenv
#include <cstdlib>
int main() {
  return 2
    * (secure_getenv("HOME") != nullptr);
}
