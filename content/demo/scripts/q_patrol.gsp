// Captain Hale: a mission to defeat any five enemies (kind 2) that checks itself, the reward
// remembered in the VIP information, and joining the Town Guard faction.
SetInt(st,0)
SetInt(paid,0)
CheckMission(Patrol,st)
if(st==4)
Say("Captain Hale","Beasts are pressing in from Greenwood. Defeat five of\nthem and report back.","hale.bmp")
AddMission(Patrol,"Patrol Greenwood for Captain Hale: defeat its beasts ",2,"",5,1,0)
exit
endif
if(st==0)
Say("Captain Hale","Keep at it. Five creatures\d no fewer.","hale.bmp")
exit
endif
GetVIPInfo(HalePaid,paid)
if(paid==0)
SetVIPInfo(HalePaid,1)
RemovePlayerItem(Sealed Letter,1)
AddMoney(200)
AddExp(250)
AddPlayerItem(Crypt Key,1)
// The key is the whole of the elder's mission: mark it done now, not when the gate asks.
SetInt(k,0)
CheckMission(Key,k)
AddHonor("Friend of the Town Guard")
SetInt(j,0)
Ask("Captain Hale","Well fought! Here is the key of the Ember Crypt. Will\nyou also join the Town Guard?","hale.bmp",j)
if(j==1)
AddFaction(Town Guard)
AddFactionEnmity(Red Fang,30)
AddNote("I joined the Town Guard. The Red Fang bandits will not like it.")
Say("Captain Hale","Welcome to the Guard! Mind the Red Fang: they hate us.","hale.bmp")
else
Say("Captain Hale","A free sword then. The offer stands.","hale.bmp")
endif
exit
endif
Say("Captain Hale","The crypt lies at the west edge of Greenwood\d beyond the\nstanding stones.","hale.bmp")
end
