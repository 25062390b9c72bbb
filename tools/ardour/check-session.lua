-- Host check in Ardour 7 without a display: scan, instantiate Tarnwick on a MIDI track, set a
-- parameter, save the session (the plug-in's state chunk) and load it again.
-- Run: LXVST_PATH=$HOME/.vst ardour7-lua tools/ardour/check-session.lua [DIR]   (Tarnwick.so copied into ~/.vst)
-- DIR, the session folder (default /tmp/tarnwick-ardour-check), must not exist yet. LXVST_PATH counts only
-- while Ardour's configuration still holds plugin-path-lxvst "@default@"; once it holds a list, that list
-- is searched, and only binaries with a scan cache entry ($XDG_CACHE_HOME/ardour7/vst) are found.
-- (luasession may hang while closing a reloaded session that holds any instrument; stop it after "restored".)
AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:start(false)
local dir = (arg and arg[1]) or "/tmp/tarnwick-ardour-check"
local s = create_session(dir, "check", 44100)
assert(s, "no session (does " .. dir .. " exist already?)")
local midi = ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1)
local stereo = ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2)
local track = s:new_midi_track(midi, stereo, true, ARDOUR.PluginInfo(), nil, nil, 1, "synth",
                               ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false):front()
local p = ARDOUR.LuaAPI.new_plugin(s, "Tarnwick", ARDOUR.PluginType.LXVST, "")
assert(not p:isnil(), "Tarnwick not found: scan it first, and check plugin-path-lxvst")
track:add_processor_by_index(p, 0, nil, true)
local plug = p:to_insert():plugin(0)
print("instantiated", plug:name(), "parameters", plug:parameter_count())
for i = 0, 8 do print(i, plug:parameter_label(i), ARDOUR.LuaAPI.get_processor_param(p, i, true)) end
ARDOUR.LuaAPI.set_processor_param(p, 0, 0.3)
s:save_state("", false, false, false, false, false)
close_session()
s = load_session(dir, "check")
local restored = s:route_by_name("synth"):nth_plugin(0)
print("restored mainLevl", ARDOUR.LuaAPI.get_processor_param(restored, 0, true), "(expected 0.3)")
