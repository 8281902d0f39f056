// The Ember Lord's death script: the crypt falls quiet and the game ends.
DelNPC(Skeleton)
PlayMusic(credits.wav)
Say("Hero","The fire is out. Willowmere is safe.","hero.bmp")
AddHonor("Emberbane: vanquished the Ember Lord")
AddNote("I defeated the Ember Lord in the depths of the crypt.")
AddExp(500)
GameOver
end
