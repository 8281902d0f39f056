// The town well refreshes whoever stands beside it.
SetInt(here,0)
CmpMapName(Willowmere,here)
if(here==1)
AddHP(60)
AddMP(30)
ShowTip("The well water is cold and clear.")
endif
end
