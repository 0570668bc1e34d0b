-- A small test level for the mothership: a street of blocks with the robot south of the
-- middle, and the mothership coming in from the north to hover over the far end.
--
-- Object types are named in double quotes, one to a line: the resource loader reads the
-- script that way to find what to load before the level starts.

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

-- The robot looks south, down the street, to where the mothership stops (z = -800). It stands
-- near enough that the medium UFOs the hatches release stay within their reach of it (a unit
-- farther than 601 from the robot is removed once its entry is over).
Place("Robot", -30, 6.75, -400)

for z = -100, -1100, -100 do
    Place("BuildingApartment", -60, 20.5, z)
    Place("BuildingApartment", 60, 20.5, z)
end
for z = -150, -1050, -200 do
    Place("BuildingHighrise", -110, 35, z)
    Place("BuildingHighrise", 110, 35, z)
end

-- An objective far behind the robot keeps the level's waves from starting.
Place("BuildingApartmentObjective", 0, 20.5, 1500)

-- It enters high over the street behind the robot.
Place("AI-Boss-Fly-Mothership", 0, 200, 300)
