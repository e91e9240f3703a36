-- Run by neovim_test.sh: opens the exported train scenario in Neovim's own client of
-- `scenario lsp`, introduces a misspelt key, a signal on a station's cell and a value too many
-- after an accented name, and checks the diagnostics (line, column, code), a hover and a
-- completion the server gives. Exits with status 0, or 1 after saying what went wrong.
local failures = {}
local function fail(message)
  table.insert(failures, message)
end
local function finish()
  if #failures == 0 then
    io.stdout:write('scenario lsp in Neovim: diagnostics, hover and completion as expected\n')
    vim.cmd('qa!')
  end
  for _, f in ipairs(failures) do io.stderr:write('FAILED: ' .. f .. '\n') end
  vim.cmd('cquit 1')
end

local program = os.getenv('SCENARIO')
local dir = os.getenv('SCENARIO_DIR')
vim.cmd('edit ' .. vim.fn.fnameescape(dir .. '/Roma_Pisa_EXPR 368-.txt'))
local buf = vim.api.nvim_get_current_buf()
local client = vim.lsp.start_client({ name = 'scenario', cmd = { program, 'lsp' }, root_dir = dir })
if not client then
  fail('the client did not start')
  finish()
end
vim.lsp.buf_attach_client(buf, client)

local function codes()
  local found = {}
  for _, d in ipairs(vim.diagnostic.get(buf)) do
    found[#found + 1] = { lnum = d.lnum, col = d.col, code = d.code }
  end
  return found
end
local function has(found, code, lnum, col)
  for _, d in ipairs(found) do
    if d.code == code and d.lnum == lnum and d.col == col then return true end
  end
  return false
end

-- The exported pair as it stands: one note, the station name longer than the card's column.
if not vim.wait(20000, function() return #vim.diagnostic.get(buf) > 0 end, 50) then
  fail('no diagnostics for the exported scenario')
  finish()
end
if not has(codes(), 210, 60, 72) then fail('the exported scenario: ' .. vim.inspect(codes())) end

-- Lines (0-based): 53 the first station, 101 and 102 the first signals.
local function set(row, text) vim.api.nvim_buf_set_lines(buf, row, row + 1, false, { text }) end
local station = vim.api.nvim_buf_get_lines(buf, 53, 54, false)[1]:gsub('Roma Termini$', 'Citt\195\160 Termini, 7')
set(53, station)
-- The station at 37950 m ends in cell 761, where a signal at 38000 m would go.
set(101, 'segnale,    38000,   2, 3, 1,  1, 0,    2,  2,1,1, 160')
set(102, (vim.api.nvim_buf_get_lines(buf, 102, 103, false)[1]:gsub('^segnale', 'segnlae')))

-- The value too many stands after "à", two bytes in the buffer and one character in the file.
local seven = station:find(', 7$') + 1
local expected = { { 16, 101, 12 }, { 201, 102, 0 }, { 208, 53, seven } }
local function all_there()
  local found = codes()
  for _, e in ipairs(expected) do
    if not has(found, e[1], e[2], e[3]) then return false end
  end
  return true
end
if not vim.wait(20000, all_there, 50) then
  fail('after the edits, expected codes 16 at 102:13, 201 at 103:1 and 208 at 54:' .. (seven + 1) ..
    ', got ' .. vim.inspect(codes()))
end

local function request(method, row, col)
  local params = { textDocument = vim.lsp.util.make_text_document_params(buf),
                   position = { line = row, character = col } }
  local results = vim.lsp.buf_request_sync(buf, method, params, 20000) or {}
  for _, r in pairs(results) do
    if r.result then return r.result end
  end
  return nil
end

local hover = request('textDocument/hover', 103, 2)
local text = hover and hover.contents and hover.contents.value or ''
if not text:find('segnale, posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo', 1, true) then
  fail('hover on a signal key: ' .. vim.inspect(hover))
end

vim.api.nvim_buf_set_lines(buf, 104, 104, false, { 'seg' })
local items = request('textDocument/completion', 104, 3) or {}
local labels = {}
for _, item in ipairs(items.items or items) do labels[item.label] = item end
if not labels['segnale'] or not (labels['segnale'].detail or ''):find('^segnale, posizione') then
  fail('completion of "seg": ' .. vim.inspect(vim.tbl_keys(labels)))
end

vim.lsp.stop_client(client)
vim.wait(5000, function() return vim.lsp.get_client_by_id(client) == nil end, 50)
finish()
