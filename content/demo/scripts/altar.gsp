// The altar in the west room of the crypt raises a spirit once.
SetInt(lit,0)
GetVIPInfo(Altar,lit)
if(lit==0)
SetVIPInfo(Altar,1)
PlaySound(ghost.wav)
AddNPC(Lost Spirit,29,36)
ShowNPCTalk(Lost Spirit)
endif
end
