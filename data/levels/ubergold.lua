-- Ubergold, the feature film's level: a long city from the north end, where the robot is
-- handed over, south to the boss arena. Each district holds its objectives and is closed
-- to the south by a cardboard barrier that falls when they are gone. The street at
-- x = -50 to -90 stays open for the camera flights.
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

-- Where the intro's last camera keys end, looking south.
Place("Robot", -76, 6.75, 926)

-- A barrier across the street and the blocks beside it, at z.
local function Barrier(typeName, z)
    for x = -130, 10, 10.01 do
        Place(typeName, x, 5.005, z)
    end
end

-- Ordinary blocks along both sides of the street, north to south.
local kinds = {
    {"BuildingApartment", 20.5},
    {"BuildingHighrise", 36},
    {"BuildingStore", 6},
}
local n = 0
for z = 1660, -1500, -60 do
    local kind = kinds[n % 3 + 1]
    Place(kind[1], -150, kind[2], z)
    Place(kind[1], 30, kind[2], z + 30)
    n = n + 1
end
for z = 1640, -1480, -120 do
    Place("LightPost", -40, 6.1, z)
    Place("LightPost", -100, 6.1, z)
end

-- The apartments, then the first barrier. The factory's smoke stack stands in the street by
-- the lamp posts, where its smoke rises in view of the start.
Place("BuildingApartmentObjective", -10, 20.5, 780)
Place("BuildingApartmentObjective", -120, 20.5, 740)
Place("SmokeStack", -40, 15.5, 820)
Barrier("CardboardCity_LeftMouse", 690)

-- The high-class district.
Place("BuildingHighClassObjective", -10, 36, 600)
Place("BuildingHighClassObjective", -125, 36, 560)
Barrier("CardboardCity_RightMouse", 500)

-- The tanks.
Place("AI-Ground-TankObjective", -60, 2.5, 420)
Place("AI-Ground-TankObjective", -80, 2.5, 380)
-- No tank trigger: each one switches the units' thinking over when it fires, and the end of
-- the opening flight fires them all, so a single one would leave every unit of the story,
-- the bosses with them, standing idle.
Barrier("CardboardCity_Laser", 320)

-- The gas stations.
Place("BuildingGasObjective", -10, 6, 240)
Place("BuildingGasObjective", -125, 6, 200)
Barrier("CardboardCity_GasStation", 140)

-- The headquarters, and the ambush square walled off beyond it.
Place("BuildingBaseHeadquarters", -10, 36, 40)
Barrier("CardboardCityFalseWall", -60)
Barrier("CardboardCityFalseWall", -260)

-- The power objects.
Place("BuildingPowerRelayStation", -10, 6, -400)
Place("BuildingPowerRelayStation", -125, 6, -460)
Place("BuildingReactor", -10, 15.5, -900)
Place("BuildingReactorCenter", -125, 15.5, -960)

-- The arena, fenced off by coils and closed by the gate blockers until the boss comes. The
-- boss UFO comes down where the needle stands, and the camera of its arrival looks from the
-- north at the street's middle, z = -1822: the needle stands there.
Place("BuildingNeedle", -50, 36, -1822)
Place("Coil", -110, 15.5, -1700)
Place("Coil", 10, 15.5, -1700)
Place("CoilFence", -110, 15.5, -1800)
Place("CoilFence", 10, 15.5, -1800)
Barrier("GateBlocker", -1600)

Tower(3, 3, 3, 60, 1100)
Tower(4, 2, 3, 60, -200)
Tower(3, 4, 3, -180, -1200)

-- Where the enemies and the people come from: spawn points along the street, behind the
-- robot's start and in each district to the south. Ground units stand on the street, the
-- flyers come in high. The spawned types, named here so that they are loaded with the level:
-- "AI-Ground-Tank-Swarm"
-- "AI-Ground-Truck"
-- "AI-Ground-Jeep"
-- "AI-Ground-CarGame"
-- "AI-Seek-Missile"
-- "Rocket"
-- "Bullet"
local spawns = {
    {"CitizenSpawner", -55, 1, 1080},
    {"CitizenSpawner", -90, 1, 1180},
    {"SpawnTraffic", -60, 1.5, 1130},
    {"SpawnTraffic", -85, 1.5, 1250},
    {"SpawnTank", -70, 2.5, 1300},
    {"SpawnTank", -50, 2.5, 1500},
    {"SpawnTruck", -80, 2.5, 1400},
    {"SpawnJeep", -60, 2.5, 1200},
    {"SpawnSwarm", -70, 2.5, 1600},
    {"SpawnMissile", -70, 40, 1450},
    {"SpawnHelicopter", -40, 60, 1350},
    {"SpawnTransport", -70, 80, 1650},
    {"SpawnMediumUFO", -70, 100, 1550},
    {"CitizenSpawner", -60, 1, 620},
    {"SpawnTraffic", -80, 1.5, 580},
    {"SpawnTank", -70, 2.5, 430},
    {"SpawnTruck", -60, 2.5, 250},
    {"SpawnJeep", -80, 2.5, 180},
    {"SpawnHelicopter", -100, 60, 400},
    {"SpawnMissile", -70, 40, 200},
    {"SpawnTank", -70, 2.5, 0},
    {"SpawnSwarm", -70, 2.5, -150},
    {"SpawnTruck", -60, 2.5, -200},
    {"SpawnJeep", -80, 2.5, -320},
    {"SpawnHelicopter", -70, 60, -100},
    {"SpawnTransport", -70, 80, -300},
    {"SpawnMediumUFO", -70, 100, -250},
    {"SpawnTank", -70, 2.5, -700},
    {"SpawnTruck", -60, 2.5, -900},
    {"SpawnHelicopter", -70, 60, -800},
    {"SpawnMissile", -70, 40, -950},
}
for _, s in ipairs(spawns) do
    Place(s[1], s[2], s[3], s[4])
end
