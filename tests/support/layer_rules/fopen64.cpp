// expect: isora_forbidden_call_use_the_foundation_seam_for_fopen64
#include <cstdio>
int main() { return fopen64("x", "r") != nullptr; }
