-- The scene behind the main menu: the robot standing as a statue on a street corner among
-- a few buildings and street lights. The menu builds only the look of these objects, so the
-- robot is set up from its parts.
--
-- Object types are named in double quotes, one to a line: the resource loader reads the
-- script that way to find what to load while the intro screens show.

-- The menu's fixed camera stands at (-12, -22, -72) and looks at (50, -34, 30), so the
-- scene is laid out around that point, on a street 40 units below the origin.
local originX, originY, originZ = 50, -40, 30

-- Creates an object of the type, sets its position relative to the scene's origin and lets
-- its components take it.
local function Place(typeName, x, y, z)
    local object = LuaGameObject(CreateGameObject(typeName))
    if Valid(object:GetObject()) then
        object:SetPosition(originX + x, originY + y, originZ + z)
        object:FinalizeMore()
    end
    return object
end

Place("Ground", 0, -0.5, 0)

Place("RobotLeg", -2, 5, 0)
Place("RobotLeg", 2, 5, 0)
Place("RobotBody", 0, 14.5, 0)
Place("RobotHead", 0, 21, 0)
Place("RobotRightArm", 5.5, 14, 0)
Place("RobotLeftArm", -5.5, 14, 0)

Place("LightPost", -15, 6.1, 15)
Place("LightPost", 15, 6.1, 15)
Place("BuildingApartment", -40, 20.5, -30)
Place("BuildingHighrise", 45, 36, -50)
Place("BuildingStore", -45, 6, 40)
-- The menu's video plays on the drive-in screen behind the robot.
Place("Drive-In Screen", 45, 0, 50)

