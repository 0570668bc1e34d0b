o=LuaGameObject(CreateGameObject("Tank")) LuaGameObject(o:GetOrientation()):FinalizeMore()
