// Olav the ferryman: a paid crossing with ChangeMap.
SetInt(go,0)
Ask("Olav","The boat crosses to the meadow of Greenwood. Five\ncoins. Climb in?","olav.bmp",go)
if(go==1)
SetInt(m,0)
GetMoney(m)
if(m<5)
Say("Olav","No coins\d no crossing.","olav.bmp")
exit
endif
SubMoney(5)
PlaySound(splash.wav)
ChangeMap(wild.map,37,27,1)
ShowTip("The boat bumps against the reeds of Greenwood.")
endif
end
