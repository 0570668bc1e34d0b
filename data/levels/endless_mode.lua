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

-- Spawn points for every kind of enemy and for the people, out beyond the ring: behind the
-- robot's start, to both sides and far ahead. The spawned types, named here so that they are
-- loaded with the level:
-- "AI-Ground-Tank-Swarm"
-- "AI-Ground-Truck"
-- "AI-Ground-Jeep"
-- "AI-Ground-CarGame"
-- "AI-Seek-Missile"
-- "Rocket"
-- "Bullet"
local spawns = {
    {"SpawnTank", 0, 2.5, 320},
    {"SpawnTank", 320, 2.5, 0},
    {"SpawnTank", -320, 2.5, 0},
    {"SpawnTank", 0, 2.5, -420},
    {"SpawnTruck", 220, 2.5, 260},
    {"SpawnTruck", -220, 2.5, 260},
    {"SpawnJeep", 120, 2.5, 300},
    {"SpawnJeep", -300, 2.5, -150},
    {"SpawnSwarm", 300, 2.5, -200},
    {"SpawnTraffic", -160, 1.5, 200},
    {"SpawnTraffic", 180, 1.5, -180},
    {"CitizenSpawner", -140, 1, 160},
    {"CitizenSpawner", 150, 1, -150},
    {"SpawnHelicopter", 0, 60, 380},
    {"SpawnHelicopter", -350, 60, -100},
    {"SpawnMissile", 260, 40, 260},
    {"SpawnMissile", -260, 40, -260},
    {"SpawnTransport", 0, 80, 500},
    {"SpawnMediumUFO", 400, 100, 0},
    {"SpawnMediumUFO", -400, 100, 200},
}
for _, s in ipairs(spawns) do
    Place(s[1], s[2], s[3], s[4])
end
