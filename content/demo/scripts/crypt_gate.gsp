// The sealed gate of the Ember Crypt opens only for the holder of the Crypt Key.
SetInt(st,0)
SetInt(ok,0)
CheckMission(Key,st)
if(st==1)
SetInt(ok,1)
endif
if(st==2)
SetInt(ok,1)
endif
if(ok==0)
ShowTip("The crypt gate is sealed. An ember-shaped keyhole glows faintly.")
exit
endif
PlaySound(gate.wav)
ChangeMap(crypt.map,45,25,1)
end
