// New game: the hero wakes up in Willowmere and meets Elder Maren.
// Texts that hold a comma write it as \d; "if(" has no blank before its bracket.
LoadInitialMap(town.map,24,27,5)
SetInt(answer,0)
Say("Elder Maren","Ah\d you are awake at last. Olav the ferryman found\nyou on the lake shore.","elder.bmp")
Ask("Elder Maren","Do you remember anything of who you are?","elder.bmp",answer)
if(answer==1)
Say("Hero","Only fire... a great fire under the earth\d and a\nvoice calling my name.","hero.bmp")
Say("Elder Maren","Fire under the earth... the Ember Crypt. So the old\ntale is true.","elder.bmp")
AddMoral(5)
else
Say("Hero","Nothing. Only that I must keep walking.","hero.bmp")
Say("Elder Maren","Then walk with us for a while. Willowmere needs strong\narms.","elder.bmp")
endif
Say("Elder Maren","Take these. Come and see me in the square when you are\nready.","elder.bmp")
AddPlayerItem(Red Potion,3)
AddPlayerItem(Wooden Sword,1)
AddPlayerItem(Cloth Tunic,1)
AddMoney(100)
Say("Elder Maren","And learn the old mending prayer. Press R to heal\nyourself with your MP\d Q to take up your blade again.","elder.bmp")
Say("Elder Maren","Mind your MP: running wears it down too. The well in\nthe square restores it.","elder.bmp")
AddSkill(Heal)
AddNote("I woke up in Willowmere. Elder Maren wants to see me in the square.")
ShowTip("Right click people to talk. F1 to F4 open your panels.")
ShowTutorial
end
