// Signpost where the road from Willowmere enters Greenwood.
ShowTip("Greenwood. North: the Red Fang camp. The old road leads to the crypt.")
end
