-- Endless mode: an open square ringed by buildings and two towers of building blocks; the
-- enemies keep coming for as long as the robot stands.
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

-- A hollow tower of building blocks, nx wide, ny high and nz deep, centred on (x, z), its
-- top layer closed by a roof.
local function Tower(nx, ny, nz, x, z)
    for j = 0, ny - 1 do
        for i = 0, nx - 1 do
            for k = 0, nz - 1 do
                local wall = i == 0 or k == 0 or i == nx - 1 or k == nz - 1
                if wall or j == ny - 1 then
                    Place("BuildingBlock", x + (i - nx / 2) * 10.01 + 5.005, j * 10.01 + 5.005,
                          z + (k - nz / 2) * 10.01 + 5.005)
                end
            end
        end
    end
end

Place("Ground", 0, -0.5, 0)
Place("InvisiblePlane", 0, 0, 0)

Place("Robot", 0, 6.75, 0)

-- A small kiosk straight ahead (to the south), a few steps beyond a punch.
Place("BuildingKiosk", 0, 5.005, -30)

for angle = 0, 315, 45 do
    local x = 120 * cos(angle * PI() / 180)
    local z = 120 * sin(angle * PI() / 180)
    if angle % 90 == 0 then
        Place("BuildingApartment", x, 20.5, z)
    else
        Place("BuildingHighrise", x, 36, z)
    end
end

Place("LightPost", -40, 6.1, -40)
Place("LightPost", 40, 6.1, 40)

Tower(3, 2, 3, 60, 0)
Tower(3, 3, 3, -60, 0)
