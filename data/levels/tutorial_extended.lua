-- The tutorial: a quiet corner of the city with room to practise, one tower of building
-- blocks to knock down and two buildings to throw things at.
--
-- Object types are named in double quotes, one to a line: the resource loader reads the
-- script that way to find what to load before the level starts.

-- Creates an object of the type, sets its position and lets its components take it.
local function Place(typeName, x, y, z)
    local object = LuaGameObject(CreateGameObject(typeName))
    if Valid(object:GetObject()) then
        object:SetPosition(x, y, z)
        object:FinalizeMore()
    end
    return object
end

Place("Ground", 0, -0.5, 0)
Place("InvisiblePlane", 0, 0, 0)

Place("Robot", 0, 6.75, 0)

Place("LightPost", -25, 6.1, 30)
Place("LightPost", 25, 6.1, 30)
Place("BuildingApartment", -60, 20.5, 80)
Place("BuildingStore", 60, 6, 80)

-- Marked objectives to practise on, and citizens to step around.
Place("BuildingHighClassObjective", -120, 36, -60)
Place("BuildingGasObjective", 120, 6, -60)
Place("CitizenSpawner", 0, 0, -120)

-- A tower of 3 x 2 x 3 blocks: eight in each layer's walls and one in the roof.
for j = 0, 1 do
    for i = 0, 2 do
        for k = 0, 2 do
            if i ~= 1 or k ~= 1 or j == 1 then
                Place("BuildingBlock", (i - 1) * 10.01, j * 10.01 + 5.005, 60 + (k - 1) * 10.01)
            end
        end
    end
end
