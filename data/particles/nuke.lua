-- A big blast: a fireball, sparks thrown out and smoke that rises after it, a short blur of
-- the screen, and the script ends once the smoke has had time to show.

local age = 0

function Initialize(x, y, z)
    CreateParticleSystem("explosion", x, y, z)
    CreateParticleSystem("MissileExplosion", x, y + 5, z)
    CreateParticleSystem("Sparks", x, y + 2, z)
    CreateParticleSystem("dust_small", x, y, z)
    CreateParticleSystem("Firesmoke1", x, y, z)
    MotionBlur(4)
end

function Update(dt)
    age = age + dt
    if age > 1 then
        MotionBlur(0)
    end
    if age > 6 then
        KillParticleSystemScript()
    end
end
