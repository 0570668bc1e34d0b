-- Ubergold, the feature film's level: the robot in the middle of a small city of apartment
-- blocks, high-rises, shops and three towers of building blocks along two streets.
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

-- The main street runs along z; the cross street along x at z = 0.
for _, z in ipairs({-60, -20, 20, 60}) do
    Place("StreetLight", -25, 6.1, z)
    Place("StreetLight", 25, 6.1, z)
end

Place("BuildingApartment", 60, 20.5, 40)
Place("BuildingApartment", 60, 20.5, -40)
Place("BuildingApartment", 120, 20.5, 0)
Place("BuildingHighrise", -70, 36, 60)
Place("BuildingHighrise", 100, 36, -90)
Place("BuildingStore", -60, 6, -40)
Place("BuildingStore", 0, 6, 110)
Place("SmokeStack", -120, 15.5, -20)

Tower(3, 3, 3, 40, 100)
Tower(4, 2, 3, -50, 110)
Tower(3, 4, 3, 0, -100)
