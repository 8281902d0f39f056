// Signpost at the west gate of Willowmere (a cell script).
ShowTip("West: Greenwood and the Ember Crypt. East: the town square.")
end
