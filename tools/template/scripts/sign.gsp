// A cell script: runs once each time the player steps onto a cell with script id 1.
ShowTip("To the pond.")
end
