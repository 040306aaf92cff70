// Makes the test bookmarks once: an address in the bookmark bar and a
// bookmarklet in a folder below it.
chrome.runtime.onInstalled.addListener(async () => {
  await chrome.bookmarks.create({parentId: "1", title: "kept", url: "https://kept.example/"});
  const folder = await chrome.bookmarks.create({parentId: "1", title: "folder"});
  await chrome.bookmarks.create(
      {parentId: folder.id, title: "script", url: "javascript:alert(\"it's\")"});
});
