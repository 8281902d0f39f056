// A cell script: runs on every frame the player stands on a cell with script id 1.
ShowTip("To the pond.")
end
