-- Host check of the LV2 build in Ardour 7 without a display. Ardour finds Tarnwick by its URI and puts it
-- on a MIDI track; a MIDI region of three notes is recorded into that track and played; parameter 0
-- (mainLevl) is set to 0.3, the session saved (Ardour keeps the plug-in's state: the session record)
-- and loaded again. The reloaded session must hold mainLevl 0.3, load the recording named in its state,
-- play the region audibly and export it; saved once more, its state holds the recording's path.
--
-- Run (the session folder must not exist yet):
--   LV2_PATH=/tmp/lv2proof ardour7-lua tools/ardour/check-lv2-session.lua DIR /tmp/lv2proof/tone.wav
--   LV2_PATH=/tmp/lv2proof ardour7-lua tools/ardour/check-lv2-session.lua DIR reopen
-- The second run loads the session the first one saved last, as a user reopening it would.
--
-- Ardour's Lua has no call that sets a plug-in's file property (a patch:Set), so the recording comes
-- the way a copied or archived session brings it: the script names the file in the plug-in's stored
-- state (the recording property, as the host's map-path gives it) before loading the session. The
-- region's notes come from a second MIDI track ("keys") whose output feeds the instrument track while
-- it records. luasession may hang when it closes a reloaded session holding an instrument, and may
-- corrupt its heap at the end of an export (the pause after the export avoids it): run it under
-- `timeout` and read what it printed.
local dir = (arg and arg[1]) or "/tmp/tarnwick-ardour-lv2"
local recording = (arg and arg[2]) or "/tmp/lv2proof/tone.wav"
local reopen = recording == "reopen"
local uri = "urn:pemberlo:tarnwick"
local name = "check"
local mainLevl = 0 -- parameter 0, the port main_levl

AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:start(false)

local function wait(ms) ARDOUR.LuaAPI.usleep(ms * 1000) end

-- The loudest peaks (dBFS) of the track's meter while the session plays from the start for ms; the
-- meter's first channel is the track's MIDI, then the instrument's left and right.
local function play(s, track, ms)
  s:request_locate(0, false, ARDOUR.LocateTransportDisposition.MustStop, ARDOUR.TransportRequestSource.TRS_UI)
  wait(200)
  track:peak_meter():reset_max()
  s:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
  wait(ms)
  s:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
  wait(300)
  local m = track:peak_meter()
  local left = m:meter_level(1, ARDOUR.MeterType.MeterMaxPeak)
  local right = m:meter_level(2, ARDOUR.MeterType.MeterMaxPeak)
  return string.format("left %.2f right %.2f", left, right), math.max(left, right)
end

local function notes(track)
  local count = 0
  for r in track:playlist():region_list():iter() do
    for n in ARDOUR.LuaAPI.note_list(r:to_midiregion():model()):iter() do
      print("  region", r:name(), "note", n:note(), "at", n:time(), "length", n:length(), "velocity", n:velocity())
      count = count + 1
    end
  end
  return count
end

local function readFile(path)
  local f = assert(io.open(path, "r"), "cannot read " .. path)
  local text = f:read("a")
  f:close()
  return text
end

-- The plug-in's state file in a saved session: plugins/<processor id>/<state-dir>/state.ttl.
local function stateFile()
  local xml = readFile(dir .. "/" .. name .. ".ardour")
  local at, id = xml:match('()<Processor id="(%d+)"[^>]-unique%-id="' .. uri:gsub("%p", "%%%0") .. '"')
  assert(id, "no Tarnwick processor in the session file")
  local stateDir = xml:match('state%-dir="([^"]+)"', at)
  assert(stateDir, "no LV2 state in the session file")
  return dir .. "/plugins/" .. id .. "/" .. stateDir .. "/state.ttl"
end

local function showRecordingProperty()
  local path = stateFile()
  local line = readFile(path):match("[^\n]*tarnwick#recording[^\n]*") or "(none)"
  print("saved state", path, "recording property:", line)
end

local function reload(expectAudible)
  local s = load_session(dir, name)
  assert(s, "cannot load " .. dir)
  local synth = s:route_by_name("synth"):to_track()
  local p = synth:nth_plugin(0)
  print("reloaded", p:display_name(), "mainLevl", ARDOUR.LuaAPI.get_processor_param(p, mainLevl, true),
        "(expected 0.3)")
  print("notes in the region", notes(synth))
  local text, loudest = play(s, synth, 3000)
  print("peak while playing (dBFS)", text)
  print(loudest > -40 and "audible" or "silent", "(expected " .. (expectAudible and "audible" or "silent") .. ")")
  return s, synth
end

if reopen then
  reload(true)
  print("restored")
  return
end

local s = create_session(dir, name, 44100)
assert(s, "no session (does " .. dir .. " exist already?)")
local midi = ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1)
local stereo = ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2)
local keys = s:new_midi_track(midi, midi, false, ARDOUR.PluginInfo(), nil, nil, 1, "keys",
                              ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false):front()
local synth = s:new_midi_track(midi, stereo, true, ARDOUR.PluginInfo(), nil, nil, 1, "synth",
                               ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false):front()

local p = ARDOUR.LuaAPI.new_plugin(s, uri, ARDOUR.PluginType.LV2, "")
assert(not p:isnil(), "Tarnwick (LV2) not found: set LV2_PATH to the folder holding Tarnwick.lv2")
synth:add_processor_by_index(p, 0, nil, true)
local plug = p:to_insert():plugin(0)
print("instantiated", plug:name(), plug:unique_id(), "instrument", p:to_insert():is_instrument(),
      "parameters", plug:parameter_count())
for i = 0, plug:parameter_count() - 1 do
  if i < 2 or i > 38 then
    print("", i, plug:parameter_label(i), plug:parameter_is_input(i) and "in" or "out",
          plug:parameter_is_control(i) and "control" or "")
  end
end

-- The notes: keys' output is the synth track's only input; immediate events on keys go out of it.
keys:output():disconnect_all(nil)
synth:input():disconnect_all(nil)
assert(synth:input():nth(0):connect(keys:output():nth(0):name()) == 0, "cannot connect keys to synth")
synth:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
s:maybe_enable_record(false)
s:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
wait(300)
for _, key in ipairs({60, 64, 67}) do
  local on = C.ByteVector()
  on:add({0x90, key, 100})
  keys:write_immediate_event(Evoral.EventType.MIDI_EVENT, 3, on:to_array())
  wait(600)
  local off = C.ByteVector()
  off:add({0x80, key, 0})
  keys:write_immediate_event(Evoral.EventType.MIDI_EVENT, 3, off:to_array())
  wait(150)
end
s:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
wait(800)
s:disable_record(false, false)
synth:rec_enable_control():set_value(0, PBD.GroupControlDisposition.NoGroup)
local recorded = notes(synth)
print("notes in the region", recorded)
assert(recorded == 3, "the region does not hold the three notes")
print("peak while playing without a recording (dBFS)", (play(s, synth, 3000)))

ARDOUR.LuaAPI.set_processor_param(p, mainLevl, 0.3)
print("set mainLevl", ARDOUR.LuaAPI.get_processor_param(p, mainLevl, true))
s:save_state("", false, false, false, false, false)
close_session()

-- The recording, named in the stored state as a moved session names it.
local path = stateFile()
local text = readFile(path)
local named, count = text:gsub("(\tstate:state %[\n)", "%1\t\t<" .. uri .. "#recording> <file://" .. recording .. "> ;\n", 1)
assert(count == 1, "no state:state in " .. path)
local f = assert(io.open(path, "w"))
f:write(named)
f:close()
print("named the recording", recording, "in", path)

s, synth = reload(true)
local export = s:simple_export()
export:set_folder(dir .. "/export")
export:set_name("tarnwick-lv2")
export:set_range(0, 44100 * 3)
print("export preset", export:set_preset("75969a1c-3133-4694-864b-a1fa50e43348"), "outputs", export:check_outputs())
print("export", export:run_export(), dir .. "/export/tarnwick-lv2.wav")
wait(2000) -- the pause that keeps luasession's heap whole after an export
s:save_state("", false, false, false, false, false)
showRecordingProperty()
print("restored")
