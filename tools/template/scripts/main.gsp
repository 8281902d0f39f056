// A new game starts here: place the player, then talk.
// LoadInitialMap(map file,row,column,direction) must come before any Say.
LoadInitialMap(village.map,8,8,5)
Say("Elder","Welcome to the village. Wolves have been seen by the pond.","elder.bmp")
AddPlayerItem(Red Potion,2)
AddPlayerItem(Wooden Sword,1)
AddMoney(50)
AddNote("The elder warned me about wolves by the pond.")
ShowTip("Right click the elder to talk. Hold the left button on the wolf to fight.")
end
