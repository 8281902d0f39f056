// Zara the seer: a paid fortune chosen by GetRandomNum.
SetInt(m,0)
GetMoney(m)
if(m<10)
Say("Zara","The spirits do not speak for free. Ten coins.","zara.bmp")
exit
endif
SetInt(yes,0)
Ask("Zara","Ten coins and I read your fate. Agreed?","zara.bmp",yes)
if(yes==0)
exit
endif
SubMoney(10)
SetInt(f,0)
GetRandomNum(4,f)
if(f==0)
Say("Zara","I see gold in your path.","zara.bmp")
AddMoney(25)
endif
if(f==1)
Say("Zara","I see a storm. Keep your potions close.","zara.bmp")
Rain
endif
if(f==2)
Say("Zara","The spirits bless you. Your heart grows lighter.","zara.bmp")
AddMoral(3)
AddHP(30)
AddMP(20)
endif
if(f==3)
Say("Zara","Shadows... the crypt fire knows your name.","zara.bmp")
SubMoral(1)
endif
end
