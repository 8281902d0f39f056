// A spike trap in the crypt. It fires once per game: the cell script runs while the player
// stands on the cell, so the VIP information remembers that it has sprung.
SetInt(sprung,0)
GetVIPInfo(CryptTrap,sprung)
if(sprung==0)
SetVIPInfo(CryptTrap,1)
PlaySound(trap.wav)
SubHP(25)
ShowTip("Spikes shoot up from the floor!")
endif
end
