#include "script/script_commands.h"

#include "foundation/gbk.h"
#include "foundation/random_generator.h"
#include "foundation/win_format.h"
#include "script/script_engine.h"
#include "script/script_host.h"

namespace isora {

namespace {

using enum CommandOutcome;

CommandOutcome If(CommandContext& c) {
  if (c.Int(0) != 0) return kGoOn;
  return c.engine.SkipFalseIf() ? kGoOn : kFail;
}

CommandOutcome SetInt(CommandContext& c) {
  if (!c.engine.SetVariable(c.Str(0), c.Int(1))) c.engine.AddVariable(c.Str(0), c.Int(1));
  return kGoOn;
}

CommandOutcome AddMission(CommandContext& c) {
  if (c.Int(2) > 2) {
    c.engine.Log(WinFormat(Gbk(u8"脚本第 %d 行错误：第 3 个参数的取值应在0与2之间\n").c_str(),
                           c.engine.CurrentLine() + 1));
    return kFail;
  }
  c.host.AddMission(c.Str(0), c.Str(1), c.Int(2), c.Str(3), c.Int(4), c.Int(5), c.Int(6));
  return kGoOn;
}

CommandOutcome GetRandomNum(CommandContext& c) {
  RandomGenerator generator;
  generator.Seed(0);
  generator.Draw(c.Int(0));
  c.result = generator.Draw(c.Int(0));
  return kGoOn;
}

// Commands that pass one integer or one text to the host and go on.
#define ISORA_INT_COMMAND(Name)                                                              \
  {                                                                                          \
#Name, "i", true, false, [](CommandContext & c) { return c.host.Name(c.Int(0)), kGoOn; } \
  }
#define ISORA_STR_COMMAND(Name)                                                              \
  {                                                                                          \
#Name, "s", true, false, [](CommandContext & c) { return c.host.Name(c.Str(0)), kGoOn; } \
  }
#define ISORA_STR_INT_COMMAND(Name)                                               \
  {                                                                               \
#Name, "si", true, false,                                                     \
        [](CommandContext & c) { return c.host.Name(c.Str(0), c.Int(1)), kGoOn; } \
  }
#define ISORA_NO_ARG_COMMAND(Name)                                                  \
  {                                                                                 \
#Name, "", true, false, [](CommandContext & c) { return c.host.Name(), kGoOn; } \
  }

const CommandSpec kCommands[] = {
    // The direction of a new game's start is passed on as read, failure value included.
    {"LoadInitialMap", "siid", true, false,
     [](CommandContext& c) {
       c.host.LoadInitialMap(c.Str(0), c.Int(1), c.Int(2), c.Int(3));
       return kWait;
     }},
    {"ChangeMap", "siii", true, false,
     [](CommandContext& c) {
       c.host.ChangeMap(c.Str(0), c.Int(1), c.Int(2), c.Int(3));
       return kWait;
     }},
    {"Say", "sss", true, false,
     [](CommandContext& c) {
       c.host.Say(c.Str(0), c.Str(1), c.Str(2));
       return kWait;
     }},
    {"Ask", "sssv", true, false,
     [](CommandContext& c) {
       c.host.Ask(c.Str(0), c.Str(1), c.Str(2), c.Str(3));
       return kWait;
     }},
    {"if", "i", false, false, If},
    {"else", "", false, false,
     [](CommandContext& c) { return c.engine.SkipElse() ? kGoOn : kFail; }},
    {"endif", "", false, false, [](CommandContext&) { return kGoOn; }},
    {"SetInt", "si", false, false, SetInt},
    {"AddMission", "ssisiii", true, false, AddMission},
    {"CheckMission", "sv", true, true,
     [](CommandContext& c) {
       c.result = c.host.CheckMission(c.Str(0));
       return kGoOn;
     }},
    {"exit", "", false, false, [](CommandContext&) { return kEnd; }},
    {"end", "", false, false, [](CommandContext&) { return kEnd; }},
    {"ShowNPCTalk", "s", true, false,
     [](CommandContext& c) { return c.host.ShowNPCTalk(c.Str(0)) ? kWait : kGoOn; }},
    {"AddNPC", "sii", true, false,
     [](CommandContext& c) {
       c.host.AddNPC(c.Str(0), c.Int(1), c.Int(2));
       return kGoOn;
     }},
    ISORA_STR_COMMAND(DelNPC),
    ISORA_NO_ARG_COMMAND(DelAllNPCInMap),
    {"CmpMapName", "sv", true, true,
     [](CommandContext& c) {
       c.result = c.host.CmpMapName(c.Str(0));
       return kGoOn;
     }},
    ISORA_INT_COMMAND(AddHP),
    ISORA_INT_COMMAND(SubHP),
    ISORA_INT_COMMAND(AddMP),
    ISORA_INT_COMMAND(SubMP),
    ISORA_INT_COMMAND(AddHPLimit),
    ISORA_INT_COMMAND(SubHPLimit),
    ISORA_INT_COMMAND(AddMPLimit),
    ISORA_INT_COMMAND(SubMPLimit),
    ISORA_INT_COMMAND(AddMoney),
    ISORA_INT_COMMAND(SubMoney),
    ISORA_INT_COMMAND(AddExp),
    ISORA_INT_COMMAND(SubExp),
    ISORA_INT_COMMAND(AddAttack),
    ISORA_INT_COMMAND(SubAttack),
    ISORA_INT_COMMAND(AddDefence),
    ISORA_INT_COMMAND(SubDefence),
    ISORA_INT_COMMAND(AddHitRate),
    ISORA_INT_COMMAND(SubHitRate),
    ISORA_INT_COMMAND(AddMoral),
    ISORA_INT_COMMAND(SubMoral),
    {"GetMoral", "v", true, true,
     [](CommandContext& c) {
       c.result = c.host.GetMoral();
       return kGoOn;
     }},
    {"GetMoney", "v", true, true,
     [](CommandContext& c) {
       c.result = c.host.GetMoney();
       return kGoOn;
     }},
    ISORA_STR_COMMAND(AddHonor),
    ISORA_STR_COMMAND(AddNote),
    ISORA_STR_COMMAND(AddFaction),
    ISORA_STR_COMMAND(RemoveFaction),
    ISORA_STR_COMMAND(AddSkill),
    ISORA_STR_COMMAND(RemoveSkill),
    ISORA_STR_INT_COMMAND(AddGirlLove),
    ISORA_STR_INT_COMMAND(SubGirlLove),
    {"GetGirlLove", "sv", true, true,
     [](CommandContext& c) {
       c.result = c.host.GetGirlLove(c.Str(0));
       return kGoOn;
     }},
    {"GetVIPInfo", "sv", true, true,
     [](CommandContext& c) {
       c.result = c.host.GetVIPInfo(c.Str(0));
       return kGoOn;
     }},
    ISORA_STR_INT_COMMAND(SetVIPInfo),
    {"GetRandomNum", "iv", true, true, GetRandomNum},
    ISORA_STR_COMMAND(SetNPCAttack),
    ISORA_STR_COMMAND(PlayMusic),
    ISORA_STR_COMMAND(PlaySound),
    ISORA_STR_COMMAND(ShowTip),
    ISORA_NO_ARG_COMMAND(Rain),
    ISORA_NO_ARG_COMMAND(GameOver),
    ISORA_STR_INT_COMMAND(AddFactionEnmity),
    ISORA_STR_INT_COMMAND(SubFactionEnmity),
    ISORA_STR_INT_COMMAND(AddPlayerItem),
    ISORA_STR_INT_COMMAND(RemovePlayerItem),
    {"GetMissionObjCount", "sv", true, true,
     [](CommandContext& c) {
       c.result = c.host.GetMissionObjCount(c.Str(0));
       return kGoOn;
     }},
    ISORA_NO_ARG_COMMAND(ShowTutorial),
};

#undef ISORA_INT_COMMAND
#undef ISORA_STR_COMMAND
#undef ISORA_STR_INT_COMMAND
#undef ISORA_NO_ARG_COMMAND

}  // namespace

std::span<const CommandSpec> CommandTable() { return kCommands; }

const CommandSpec* FindCommand(std::string_view name) {
  for (const auto& spec : kCommands)
    if (spec.name == name) return &spec;
  return nullptr;
}

ArgKind KindOf(char letter) {
  switch (letter) {
    case 's':
      return ArgKind::kStr;
    case 'v':
      return ArgKind::kVar;
    default:
      return ArgKind::kInt;
  }
}

CommandOutcome RunCommand(const CommandSpec& spec, ScriptEngine& engine, ScriptHost& host) {
  CommandContext context{engine, host, {}, 0};
  context.args.reserve(spec.kinds.size());
  for (size_t i = 0; i < spec.kinds.size(); ++i) {
    int n = static_cast<int>(i) + 1;
    ScriptValue value;
    value.kind = KindOf(spec.kinds[i]);
    if (value.kind == ArgKind::kInt) {
      value.number = engine.EvaluateArgument(n);
      if (value.number == kScriptFailure && spec.kinds[i] != 'd') return kFail;
    } else {
      value.text = engine.StringArgument(n);
      if (value.text == kInvalidString) return kFail;
      if (value.kind == ArgKind::kVar && !engine.HasVariable(value.text)) return kFail;
    }
    context.args.push_back(std::move(value));
  }
  CommandOutcome outcome = spec.run(context);
  if (outcome == kFail) return outcome;
  if (spec.storesResult) engine.SetVariable(context.args.back().text, context.result);
  if (spec.reachesGame && engine.Observer()) {
    ScriptCall call{std::string(spec.name), std::move(context.args), spec.storesResult,
                    context.result};
    engine.Observer()->OnCall(call);
  }
  return outcome;
}

}  // namespace isora
