// Vask of the Red Fang: pay for peace (enmity falls) or fight (the band turns hostile).
SetInt(ans,0)
Say("Vask","So you are the stranger the town talks about.","vask.bmp")
Ask("Vask","Pay the Red Fang 100 coins and we leave you be. Or\nwould you rather bleed?","vask.bmp",ans)
if(ans==1)
SetInt(m,0)
GetMoney(m)
if(m>=100)
SubMoney(100)
SubFactionEnmity(Red Fang,40)
RemoveFaction(Town Guard)
SubMoral(5)
AddNote("I paid Vask 100 coins. Captain Hale will not like that I deal with bandits.")
Say("Vask","Wise. Walk in peace - while it lasts.","vask.bmp")
exit
endif
Say("Vask","You do not even have the coins? Lads!","vask.bmp")
endif
SetNPCAttack(Vask)
SetNPCAttack(Bandit)
AddFactionEnmity(Red Fang,60)
ShowTip("The Red Fang attack!")
end
