// Ione the herbalist: a collecting mission (kind 0).
SetInt(st,0)
CheckMission(Moonpetal,st)
if(st==4)
Say("Ione","Welcome! I brew draughts from moonpetal\d a pale\nflower of Greenwood. Deer and boars carry the petals\nin their fur.","ione.bmp")
Say("Ione","Bring me three Moonpetals and I will pay you well.","ione.bmp")
AddMission(Moonpetal,"Bring 3 Moonpetals to Ione the herbalist ",0,Moonpetal,3,0,0)
AddNote("Ione wants 3 Moonpetals. Deer and boars in Greenwood carry them.")
exit
endif
if(st==0)
SetInt(n,0)
GetMissionObjCount(Moonpetal,n)
if(n==2)
Say("Ione","Two already! Just one more\d please.","ione.bmp")
else
Say("Ione","Three Moonpetals\d please. Greenwood lies west of the\ntown gate.","ione.bmp")
endif
exit
endif
if(st==1)
RemovePlayerItem(Moonpetal,3)
AddMoney(150)
AddExp(120)
AddPlayerItem(Healing Draught,3)
AddPlayerItem(Herb Satchel,1)
AddHonor("Ione's helper: brought her three Moonpetals")
AddNote("Ione paid me 150 coins and gave me her spare satchel.")
AddGirlLove(Ione,10)
PlaySound(buy.wav)
Say("Ione","Wonderful! Take these draughts and my spare satchel.","ione.bmp")
exit
endif
Say("Ione","Thank you again. The draughts are selling well.","ione.bmp")
end
