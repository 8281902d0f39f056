// Bram the hunter: a mission to kill one named role (kind 1) with the completion flag, so a
// fresh completion reads 3.
SetInt(st,0)
CheckMission(Old Tusk,st)
if(st==4)
Say("Bram","Old Tusk has gored two of my dogs. He roams the\nsouthern meadow of Greenwood.","bram.bmp")
SetInt(a,0)
Ask("Bram","Will you hunt him down for me?","bram.bmp",a)
if(a==1)
AddMission(Old Tusk,"Slay Old Tusk in the meadow of Greenwood for Bram ",1,Old Tusk,1,0,1)
AddPlayerItem(Hunting Spear,1)
Say("Bram","Take my old spear. Bring me his tusk!","bram.bmp")
else
Say("Bram","Hm. Come back when you have the nerve.","bram.bmp")
endif
exit
endif
if(st==0)
Say("Bram","Old Tusk still lives. Look south in the meadow by the\npond.","bram.bmp")
exit
endif
if(st==3)
RemovePlayerItem(Great Tusk,1)
AddExp(300)
AddMoney(250)
AddHonor("Slayer of Old Tusk")
AddNote("I killed Old Tusk. Bram paid me 250 coins.")
Say("Bram","You did it! The whole town will hear of this.","bram.bmp")
exit
endif
Say("Bram","The meadows are safe again thanks to you.","bram.bmp")
end
