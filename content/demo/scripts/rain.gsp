// The clearing in the middle of Greenwood: stepping in brings rain.
Rain
ShowTip("Dark clouds gather over Greenwood.")
end
