#include "lib/role_writer.h"

#include "foundation/byte_io.h"
#include "foundation/gbk.h"
#include "lib/stored_text.h"

namespace isora {

using nlohmann::json;

std::vector<uint8_t> WriteRoleAnimation(const RoleAnimation& anim) {
  ByteWriter w;
  w.I32(kRoleFileMagic);
  w.Zeros(20);
  w.I32(static_cast<int32_t>(anim.frames.size()));
  w.I32(static_cast<int32_t>(anim.states.size()));
  w.Zeros(kRoleHeaderSize - 32);
  for (const RoleState& s : anim.states) {
    w.Zeros(4);
    w.FixedString(s.stateName, 52);
    w.I32(s.framesPerDirection);
    w.Zeros(3184 - 60);
    w.I32(s.firstFrame);
  }
  for (const RoleFrame& f : anim.frames) {
    w.I32(f.unused0);
    w.I32(f.width);
    w.I32(f.height);
    w.FixedString(f.image, 32);
  }
  return w.Take();
}

namespace {

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

bool ReadFrame(const json& j, RoleFrame& f, std::string* error) {
  if (!j.is_object() || !j.value("width", json()).is_number_integer() ||
      !j.value("height", json()).is_number_integer() || !j.value("image", json()).is_string())
    return Fail(error, "each frame needs integer \"width\", \"height\" and a string \"image\"");
  f.width = j["width"].get<int32_t>();
  f.height = j["height"].get<int32_t>();
  if (const std::string fault = ToStoredText(j["image"].get<std::string>(), &f.image);
      !fault.empty())
    return Fail(error, "an image name " + fault);
  if (f.image.size() > 31)
    return Fail(error, "image name longer than 31 bytes: " + j["image"].get<std::string>());
  return true;
}

std::string Expand(std::string pattern, int d, int k) {
  for (auto [key, value] : {std::pair<std::string, int>{"{d}", d}, {"{k}", k}}) {
    for (size_t at = pattern.find(key); at != std::string::npos; at = pattern.find(key))
      pattern.replace(at, key.size(), std::to_string(value));
  }
  return pattern;
}

}  // namespace

bool BuildRoleFromJson(const json& src, RoleAnimation& out, std::string* error) {
  if (!src.is_object() || !src.contains("states") || !src["states"].is_array())
    return Fail(error, "the role description needs a \"states\" array");
  RoleAnimation anim;
  if (src.contains("frames")) {
    if (!src["frames"].is_array()) return Fail(error, "\"frames\" must be an array");
    for (const json& j : src["frames"]) {
      RoleFrame f;
      if (!ReadFrame(j, f, error)) return false;
      anim.frames.push_back(f);
    }
  }
  for (const json& j : src["states"]) {
    if (!j.is_object() || !j.value("name", json()).is_string() ||
        !j.value("framesPerDirection", json()).is_number_integer())
      return Fail(error, "each state needs a \"name\" and an integer \"framesPerDirection\"");
    RoleState s;
    if (const std::string fault = ToStoredText(j["name"].get<std::string>(), &s.stateName);
        !fault.empty())
      return Fail(error, "a state name " + fault);
    if (s.stateName.size() > 51) return Fail(error, "state name longer than 51 bytes");
    s.framesPerDirection = j["framesPerDirection"].get<int32_t>();
    if (s.framesPerDirection < 0 || s.framesPerDirection > 1000)
      return Fail(error, "\"framesPerDirection\" must be 0 to 1000");
    const size_t count = static_cast<size_t>(s.framesPerDirection) * 8;
    if (j.contains("firstFrame")) {
      if (!j["firstFrame"].is_number_integer())
        return Fail(error, "\"firstFrame\" must be an integer");
      s.firstFrame = j["firstFrame"].get<int32_t>();
      if (s.firstFrame < 0 || s.firstFrame + count > anim.frames.size())
        return Fail(error, "state \"" + j["name"].get<std::string>() +
                               "\" names frames past the end of \"frames\"");
    } else if (j.contains("image")) {
      RoleFrame f;
      if (!ReadFrame(j, f, error)) return false;
      s.firstFrame = static_cast<int32_t>(anim.frames.size());
      const std::string pattern = j["image"].get<std::string>();
      for (int d = 1; d <= 8; ++d) {
        for (int k = 0; k < s.framesPerDirection; ++k) {
          if (const std::string fault = ToStoredText(Expand(pattern, d, k), &f.image);
              !fault.empty())
            return Fail(error, "an image name " + fault);
          if (f.image.size() > 31)
            return Fail(error, "image name longer than 31 bytes: " + f.image);
          anim.frames.push_back(f);
        }
      }
    } else if (j.contains("frames")) {
      if (!j["frames"].is_array() || j["frames"].size() != count)
        return Fail(error, "a state's \"frames\" must hold 8 x framesPerDirection frames");
      s.firstFrame = static_cast<int32_t>(anim.frames.size());
      for (const json& fj : j["frames"]) {
        RoleFrame f;
        if (!ReadFrame(fj, f, error)) return false;
        anim.frames.push_back(f);
      }
    } else {
      return Fail(error, "state \"" + j["name"].get<std::string>() +
                             "\" needs \"firstFrame\", \"image\" or \"frames\"");
    }
    anim.states.push_back(s);
  }
  out = std::move(anim);
  return true;
}

json RoleToJson(const RoleAnimation& anim) {
  json states = json::array();
  for (const RoleState& s : anim.states)
    states.push_back({{"name", GbkToUtf8(s.stateName)},
                      {"framesPerDirection", s.framesPerDirection},
                      {"firstFrame", s.firstFrame}});
  json frames = json::array();
  for (size_t i = 0; i < anim.frames.size(); ++i) {
    const RoleFrame& f = anim.frames[i];
    frames.push_back(
        {{"index", i}, {"width", f.width}, {"height", f.height}, {"image", GbkToUtf8(f.image)}});
  }
  return {{"stateCount", anim.states.size()},
          {"frameCount", anim.frames.size()},
          {"states", states},
          {"frames", frames}};
}

}  // namespace isora
