-- The big explosion: a flash, then rings of smoke and fire rolling out, then the script ends.
local origin = {0, 0, 0}
local time = 0
local ringsStarted = false

function Initialize(x, y, z)
    origin = {x, y, z}
    time = 0
    CreateParticleSystem("nuke1", x, y, z)
    CreateParticleSystem("nuke3", x, y, z)
end

function Update(dt)
    time = time + dt
    if not ringsStarted and time >= 0.3 then
        ringsStarted = true
        for k = 0, 7 do
            local a = k / 8 * 2 * PI()
            CreateParticleSystem("nuke2", origin[1] + 12 * cos(a), origin[2], origin[3] + 12 * sin(a))
        end
        CreateParticleSystem("nuke4", origin[1], origin[2], origin[3])
    end
    if time >= 4 then
        KillParticleSystemScript()
    end
end
