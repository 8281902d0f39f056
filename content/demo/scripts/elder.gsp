// Elder Maren: the main story. Her words follow the VIP information, the player's moral
// and the state of the two main missions.
SetInt(dead,0)
GetVIPInfo(Ember Lord,dead)
if(dead==1)
Say("Elder Maren","The Ember Lord is gone and the crypt is dark.\nWillowmere owes you everything.","elder.bmp")
exit
endif
SetInt(mo,0)
GetMoral(mo)
if(mo<0)
Say("Elder Maren","The guards say you have done dark deeds. Mend your\nways before you come to me.","elder.bmp")
exit
endif
SetInt(st,0)
CheckMission(Ember Lord,st)
if(st==4)
Say("Elder Maren","Each night the Ember Crypt at the west edge of Greenwood\nburns brighter. Its lord is waking.","elder.bmp")
Say("Elder Maren","The crypt is sealed and Captain Hale keeps the key.\nHelp the Guard and he will trust you.","elder.bmp")
AddMission(Key,"Earn the Crypt Key from Captain Hale ",0,Crypt Key,1,0,0)
AddMission(Ember Lord,"Defeat the Ember Lord in the Ember Crypt ",1,Ember Lord,1,0,0)
AddPlayerItem(Sealed Letter,1)
Say("Elder Maren","Take these potions. Drink one when a fight turns\nagainst you\d and rest at the well in the square.","elder.bmp")
AddPlayerItem(Red Potion,6)
AddNote("Elder Maren: the Ember Lord is waking in the crypt at the west edge of Greenwood.")
exit
endif
Say("Elder Maren","Ione\d Bram and Captain Hale all need a hand. Help\nthem and you will be ready.","elder.bmp")
end
