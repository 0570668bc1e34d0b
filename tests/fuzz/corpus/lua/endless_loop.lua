local t = {}
for i = 1, 100 do t[i] = string.rep("x", i) end
while true do end
