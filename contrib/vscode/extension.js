// SPDX-License-Identifier: MIT
// Starts `qmark lsp` for the files qmark reads; the server does the rest.
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

let client;

function activate(context) {
  const config = vscode.workspace.getConfiguration('quillmark');
  const initializationOptions = {};
  if (config.get('developer')) initializationOptions.developer = config.get('developer');
  if ([0, 1].includes(config.get('language'))) initializationOptions.language = config.get('language');
  client = new LanguageClient(
    'quillmark',
    'Quillmark 98',
    { command: config.get('command') || 'qmark', args: ['lsp'] },
    {
      documentSelector: [{ scheme: 'file', pattern: '**/*.{bas,cls,frm,ctl,dsr,pag,dob,h,hh,hpp,hxx,c,cc,cpp,cxx}' }],
      initializationOptions,
    },
  );
  context.subscriptions.push(client);
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
