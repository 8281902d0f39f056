// Conditions on the state dump, for replays that wait for the game rather than count frames:
// "<json-pointer> <op> <value>", op one of == != < <= > >= has, value a JSON number, text,
// true, false or null (has: a text the dumped text contains, or an element of the dumped
// array). Read straight from the dump's text, so the engine needs no JSON library.
#pragma once

#include <string>
#include <string_view>

namespace isora {

struct StateCondition {
  std::string pointer;  // "/player/hp"
  std::string op;
  std::string value;  // JSON text
};

// Parses "pointer op value"; false with *error when it is not one.
bool ParseStateCondition(std::string_view text, StateCondition* out, std::string* error);

// True when the condition holds in the dump (a JSON document); *found receives the dumped
// value's text (or "nothing") for a failure message.
bool StateConditionHolds(const StateCondition& c, std::string_view dump, std::string* found);

}  // namespace isora
