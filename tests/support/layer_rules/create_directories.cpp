// expect: MakeFolders
#include <filesystem>
int main() {
  std::error_code ec;
  return std::filesystem::create_directories("x", ec);
}
