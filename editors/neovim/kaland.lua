-- kaland maps in Neovim's built-in language client: kaland-check --lsp
-- checks each map as you type and answers hover, go to definition,
-- references, symbols, completion and renames of room numbers.
--
-- Put this file where Neovim loads it at start-up, for example as
-- ~/.config/nvim/plugin/kaland.lua. kaland-check must be on the PATH, or
-- named in vim.g.kaland_check before this file is loaded.
--
-- ".map" is also the name of other formats, so a .map file is taken for a
-- kaland map only when one of its first lines starts with #helyiseg; any
-- other file can be made one with :set filetype=kaland.

local function is_kaland_map(buffer)
  for _, line in ipairs(vim.api.nvim_buf_get_lines(buffer, 0, 1000, false)) do
    if line:lower():match('^%s*#helyiseg') then
      return true
    end
  end
  return false
end

vim.api.nvim_create_autocmd({ 'BufRead', 'BufNewFile' }, {
  pattern = '*.map',
  callback = function(event)
    if is_kaland_map(event.buf) then
      vim.bo[event.buf].filetype = 'kaland'
    end
  end,
})

local client_id = nil

vim.api.nvim_create_autocmd('FileType', {
  pattern = 'kaland',
  callback = function(event)
    local config = {
      name = 'kaland-check',
      cmd = { vim.g.kaland_check or 'kaland-check', '--lsp' },
      root_dir = vim.fn.fnamemodify(vim.api.nvim_buf_get_name(event.buf), ':p:h'),
    }
    if vim.lsp.start then
      -- Neovim 0.8 and later: one server for every map.
      vim.lsp.start(config, { bufnr = event.buf, reuse_client = function(client) return client.name == config.name end })
    else
      -- Neovim 0.7.
      client_id = client_id or vim.lsp.start_client(config)
      vim.lsp.buf_attach_client(event.buf, client_id)
    end
    -- Completion with CTRL-X CTRL-O: directives after #, kind letters after
    -- #irany, room numbers for a target.
    vim.bo[event.buf].omnifunc = 'v:lua.vim.lsp.omnifunc'
  end,
})
