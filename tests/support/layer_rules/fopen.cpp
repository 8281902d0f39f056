// expect: isora_forbidden_call_use_the_foundation_seam_for_fopen
#include <cstdio>
int main() { return fopen("x", "r") != nullptr; }
