// Lina: love degrees grow with every visit; a gift is given once.
SetInt(love,0)
GetGirlLove(Lina,love)
if(love<10)
Say("Lina","Oh! Hello. These flowers are for the shrine by the\nlake.","lina.bmp")
AddGirlLove(Lina,5)
exit
endif
if(love<30)
Say("Lina","You again! Would you like a flower? It smells of\nsummer.","lina.bmp")
AddGirlLove(Lina,10)
exit
endif
SetInt(gift,0)
GetVIPInfo(LinaGift,gift)
if(gift==0)
SetVIPInfo(LinaGift,1)
AddPlayerItem(Moon Pendant,1)
AddNote("Lina gave me a Moon Pendant. I think she likes me.")
Say("Lina","I made this for you. Please come back safe from the\ncrypt.","lina.bmp")
exit
endif
SetInt(r,0)
GetRandomNum(3,r)
if(r==0)
Say("Lina","The lake is so pretty at dusk.","lina.bmp")
endif
if(r==1)
Say("Lina","Whiskers keeps stealing fish from Olav. Silly cat.","lina.bmp")
endif
if(r==2)
Say("Lina","Will you tell me about Greenwood some day?","lina.bmp")
endif
end
